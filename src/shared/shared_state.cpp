// The shared process-wide state, with the values a run starts from.
#include "shared/shared_state.h"

FrameTimer* frame_timer = nullptr;
bool quit_requested = false;

std::int32_t scene_index = first_scene;
float scene_clock = 0.0f;
float anim_clock = 0.0f;
float text_fade[5] = {};
float tunnel_angle = 0.0f;
float swarm_angle = 0.0f;
