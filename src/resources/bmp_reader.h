// The BMP reader: a Windows bitmap file (with or without its file header)
// into tightly packed 24-bit RGB rows, bottom row first.
#pragma once

#include <cstddef>
#include <cstdint>

struct RgbImage {
    std::int32_t width;
    std::int32_t height;
    unsigned char* data; // width * height * 3 bytes, red, green, blue
};

// Newly allocated image (release data and then the record with free(), or
// with free_rgb_image), or null after the error has been shown in a
// message box. Both come from malloc: a large run-length image that the
// encoding leaves mostly black costs no memory until it is touched.
RgbImage* read_dib_file(const char* path);
// Releases an image and its pixels; null is allowed.
void free_rgb_image(RgbImage* image);
// Colour-table entries of an info header (12 or 40 bytes at header).
unsigned short dib_color_count(const unsigned char* header);

// The same reading from bytes already in memory (the whole file, starting
// with "BM" or directly with the info header). Never reads outside
// [bytes, bytes + size). Shows at most one message; null on failure.
RgbImage* read_dib_memory(const unsigned char* bytes, std::size_t size);

// Largest width and height the reader converts. A fuzzing build takes a
// smaller limit: a tiny run-length file may ask for the largest picture, and
// zeroing hundreds of megabytes per input would leave the fuzzer a few dozen
// inputs a second. The same checks run either way.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr std::int32_t dib_max_dimension = 2048;
#else
constexpr std::int32_t dib_max_dimension = 16384;
#endif
