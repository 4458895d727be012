// The BMP reader: a Windows bitmap file (with or without its file header)
// into tightly packed 24-bit RGB rows, bottom row first.
#pragma once

#include <cstdint>

struct RgbImage {
    std::int32_t width;
    std::int32_t height;
    unsigned char* data; // width * height * 3 bytes, red, green, blue
};

// Newly allocated image (release data with delete[] and the record with
// delete), or null after the error has been shown in a message box.
RgbImage* read_dib_file(const char* path);
// Colour-table entries of an info header (12 or 40 bytes at header).
unsigned short dib_color_count(const unsigned char* header);
