// The spinning swarm: a ball of 81 fading arcs turning beside the credits.
#pragma once

#include "effects/effects_state.h"

void draw_spinning_swarm();
