// libFuzzer target for the BMP reader: any bytes, read as a whole file.
// Besides crashes and out-of-bounds reads (the sanitizers), it checks what
// the reader promises: an image has a sane size and all its bytes exist, a
// failure shows exactly one message and a success none.
#include "resources/bmp_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern int fuzz_message_boxes; // the message-box stand-in counts its calls

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz_message_boxes = 0;
    RgbImage* image = read_dib_memory(data, size);
    if (!image) {
        if (fuzz_message_boxes != 1)
            std::abort();
        return 0;
    }
    if (fuzz_message_boxes != 0 || image->width <= 0 || image->height <= 0 ||
        image->width > dib_max_dimension || image->height > dib_max_dimension || !image->data)
        std::abort();
    // Touch the first and the last byte: a buffer too small for
    // width x height x 3 shows up as a heap overflow. (Not every byte: a
    // mostly skipped run-length image of 16384 x 16384 stays cheap.)
    std::size_t bytes = static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height) * 3;
    volatile unsigned sink = image->data[0] + image->data[bytes - 1];
    (void)sink;
    free_rgb_image(image);
    return 0;
}
