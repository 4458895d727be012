// libpng writing. libpng reports errors by longjmp; the handler keeps the
// message so the caller can name the file.
#include "png_writer.h"

#include "output_file.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace {
void on_png_error(png_structp png, png_const_charp message)
{
    auto* text = static_cast<std::string*>(png_get_error_ptr(png));
    if (text)
        *text = message ? message : "libpng error";
    png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

// Kept apart from write_png so that no object with a destructor lives in
// the frame that setjmp returns to.
bool encode(FILE* file, const std::uint8_t* rgb, int width, int height, int compression, std::string* libpng_error)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, libpng_error, on_png_error, on_png_warning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, compression);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int row = 0; row < height; ++row)
        png_write_row(png, rgb + static_cast<std::size_t>(row) * static_cast<std::size_t>(width) * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
} // namespace

bool write_png(const std::string& path, const std::uint8_t* rgb, int width, int height, int compression,
               std::string* error)
{
    std::string temporary = temporary_name(path, "part");
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        *error = write_error(path);
        return false;
    }
    remember_temporary(temporary);
    std::string libpng_error;
    bool encoded = encode(file, rgb, width, height, compression, &libpng_error);
    bool flushed = std::fflush(file) == 0 && !std::ferror(file);
    bool closed = std::fclose(file) == 0;
    if (!encoded || !flushed || !closed) {
        *error = libpng_error.empty() ? write_error(path) : "cannot write " + path + ": " + libpng_error;
        std::remove(temporary.c_str());
        forget_temporary(temporary);
        return false;
    }
    return publish(temporary, path, error);
}
