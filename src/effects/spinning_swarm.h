// The spinning swarm: a ball of 81 fading arcs turning beside the credits.
#pragma once

extern float swarm_phase;

int draw_spinning_swarm();
