// The title blocks (eight translucent blue rectangles under the title) and
// the triangle field: a turning, fading honeycomb over the tunnel.
#pragma once

#include "effects/effects_state.h"

void draw_title_blocks();
void draw_triangle_field();
