// The tunnel: a textured, fogged tube winding away from the viewer, shaped
// by tunnel_angle alone.
#pragma once

#include "effects/effects_state.h"

void draw_tunnel();
