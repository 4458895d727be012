// A small bitmap font of the tool's own for the contact sheet's captions:
// printable ASCII in 5 x 7 pixel glyphs (with two rows below the baseline
// for descenders), drawn into an RGB picture.
#pragma once

#include <cstdint>
#include <string>

constexpr int glyph_advance = 6; // pixels from one character to the next, at scale 1
constexpr int glyph_line_height = 11;

struct RgbCanvas {
    std::uint8_t* pixels; // top row first
    int width;
    int height;
};

// Draws `text` with its top-left corner at (x, y), clipped to the canvas.
// Characters outside printable ASCII are drawn as '?'.
void draw_text(RgbCanvas canvas, int x, int y, const std::string& text, const std::uint8_t colour[3], int scale = 1);

// Whether `c` has a pixel at column `column`, row `row` (row 0 at the top,
// rows 7 and 8 below the baseline).
bool glyph_pixel(char c, int column, int row);
