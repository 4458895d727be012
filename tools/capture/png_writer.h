// PNG pictures from RGB frames, written through libpng.
#pragma once

#include <cstdint>
#include <string>

// Writes an 8-bit RGB picture, top row first, to `path` (through a
// temporary name). compression: zlib level 0..9. False with *error naming
// the file when it cannot be written.
bool write_png(const std::string& path, const std::uint8_t* rgb, int width, int height, int compression,
               std::string* error);
