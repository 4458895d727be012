// The desktop's matched face, for the backend's font files only.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

struct OutlineFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    std::string family;
    std::string file;
    bool embolden = false;
    bool symbol_map = false; // a symbol font: ANSI codes live at U+F000 + code
};
