// STAND-IN until the swarm lands.
#include "effects/spinning_swarm.h"

float swarm_phase = 0.0f;

int draw_spinning_swarm() { return 1; }
