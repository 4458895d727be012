// The outline font: 255 glyph display lists of files/font.ttf, flat filled
// polygons in em units, and print_text, which centres a text on the
// current origin 3 units further in.
#pragma once

#include "resources/resources_state.h"

void build_font();
void delete_font();
void print_text(const char* format, ...) __attribute__((format(printf, 1, 2)));
