// The star field: fifty textured stars circling a point in a tilted plane,
// each drawn twice in two colours with additive blending.
#pragma once

#include "effects/effects_state.h"

// The star field's own random generator (effects.star_rand_state).
int star_rand();

void init_stars();
void draw_star_field();
