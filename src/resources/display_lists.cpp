// STAND-IN until the geometry lists land.
#include "resources/display_lists.h"

GLuint hexagon_list = 0;
GLuint arc_list = 0;
float hex_half_width = 0.0f;
int arc_segments = 100;

void build_display_lists() {}
