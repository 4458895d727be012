// STAND-IN until the BMP reader lands.
#include "resources/bmp_reader.h"

RgbImage* read_dib_file(const char* path)
{
    (void)path;
    return nullptr;
}

unsigned short dib_color_count(const unsigned char* header)
{
    (void)header;
    return 0;
}
