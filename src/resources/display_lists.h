// The two geometry display lists: the flat hexagon and the fading arc.
#pragma once

#include <GL/gl.h>

extern GLuint hexagon_list;
extern GLuint arc_list;
extern float hex_half_width;
extern int arc_segments;

void build_display_lists();
