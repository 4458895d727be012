// STAND-IN until the outline font lands: lists are reserved, glyphs empty.
#include "resources/outline_font.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

GLuint font_list_base = 0;
GlyphMetricsFloat glyph_metrics[256] = {};

void build_font() { font_list_base = glGenLists(256); }

void delete_font() {}

void print_text(const char* format, ...)
{
    if (!format)
        return;
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    glTranslatef(0.0f, 0.0f, -3.0f);
}
