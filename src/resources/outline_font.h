// The outline font: 255 glyph display lists of files/font.ttf, flat filled
// polygons in em units, and print_text, which centres a text on the
// current origin 3 units further in.
#pragma once

#include <GL/gl.h>

struct GlyphMetricsFloat {
    float black_box_x;
    float black_box_y;
    float glyph_origin_x;
    float glyph_origin_y;
    float cell_inc_x;
    float cell_inc_y;
};

extern GLuint font_list_base;
extern GlyphMetricsFloat glyph_metrics[256];

void build_font();
void delete_font();
void print_text(const char* format, ...) __attribute__((format(printf, 1, 2)));
