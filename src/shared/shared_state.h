// The little process-wide state the layers share, declared in one place at
// the bottom so that every layer may read it without including the layer
// that owns the behaviour: the frame timer the scenes advance by, the flag
// that ends the frame loop, and the timeline's scene number and clocks
// (effects read them, and the intro words advance scene_index).
#pragma once

#include "shared/frame_timer.h"

#include <cstdint>

// Made at start-up, after the GL resources; lives until the process ends.
extern FrameTimer* frame_timer;
// Ends the frame loop; set by the loop (Escape, WM_QUIT) and by the end of
// the last scene.
extern bool quit_requested;

// The scene being drawn: -1 (the start picture) to last_scene, then past
// the end, where a frame is only cleared.
extern std::int32_t scene_index;
constexpr std::int32_t first_scene = -1;
constexpr std::int32_t last_scene = 22;

// The timeline's clocks; all start at 0.
extern float scene_clock;
extern float anim_clock;
extern float text_fade[5];
extern float tunnel_angle; // never reset
extern float swarm_angle;  // never reset
