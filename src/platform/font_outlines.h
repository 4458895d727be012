// Font registration, face matching and glyph outlines: what the outline
// font is built from. Registration and matching are the system's (the
// backend's font library: fontconfig and FreeType, GDI, the page's reader),
// the outlines unhinted, flattened to polylines in em units (the em square
// is 1.0). No GL here: filling the contours is the caller's.
#pragma once

#include <string>
#include <vector>

// Adds a font file to the fonts this process can match by name (the path
// is taken relative to the working directory). False when the file is
// missing or holds no font.
bool platform_add_font_file(const char* path);

struct OutlineFace;

// The installed or added face that best matches `family` at `weight`
// (100..900, 700 bold), as font matching picks it: another face when no
// face of that family exists. Null only when no face can be opened at all.
OutlineFace* platform_match_outline_face(const char* family, int weight);
void platform_close_outline_face(OutlineFace* face);

struct OutlinePoint {
    double x, y;
};

// One glyph in em units: closed contours as polylines (the last point of a
// contour is not repeated), the black box and the advance.
struct GlyphOutline {
    std::vector<OutlinePoint> points;
    std::vector<int> contour_ends; // one past the last point of each contour
    float black_box_x = 0.0f;      // width and height of the ink
    float black_box_y = 0.0f;
    float origin_x = 0.0f;         // upper-left corner of the ink from the glyph origin
    float origin_y = 0.0f;
    float advance_x = 0.0f;
    float advance_y = 0.0f;
};

// The outline of the glyph for ANSI character `code`. Curves are flattened
// so that no chord strays more than one design unit from its curve. A
// character the face lacks gets the face's missing glyph (which may be
// empty) and its advance. False only when the glyph cannot be loaded.
bool platform_glyph_outline(OutlineFace* face, unsigned char code, GlyphOutline* out);
