// STAND-IN until the triangle field lands.
#include "effects/triangle_field.h"

int field_spin = 0;

int draw_title_blocks() { return 1; }
int draw_triangle_field() { return 1; }
