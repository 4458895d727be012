// The scene timeline: render_frame draws the scene in scene_index, ticks the
// frame timer once, advances the scene's clocks and moves on when the scene
// has run its length.
#pragma once

#include <cstdint>

extern std::int32_t scene_index;
extern float scene_clock;
extern float anim_clock;
extern float text_fade[5];
extern float tunnel_angle;
extern float swarm_angle;

bool render_frame();
