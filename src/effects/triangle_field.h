// The title blocks (eight translucent blue rectangles under the title) and
// the triangle field: a turning, fading honeycomb over the tunnel.
#pragma once

extern int field_spin;

int draw_title_blocks();
int draw_triangle_field();
