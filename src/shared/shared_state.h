// The little process-wide state the layers share, declared in one place at
// the bottom so that every layer may read it without including the layer
// that owns the behaviour: the frame timer the scenes advance by, the flag
// that ends the frame loop, and the timeline's scene number and clocks
// (effects read them; the timeline alone advances them).
#pragma once

#include "shared/frame_timer.h"

#include <cstdint>

// The scene range: -1 (the start picture) to last_scene, then past the
// end, where a frame is only cleared.
constexpr std::int32_t first_scene = -1;
constexpr std::int32_t last_scene = 22;

struct SharedState {
    // Made at start-up, after the GL resources; lives until the process ends.
    FrameTimer* frame_timer = nullptr;
    // Ends the frame loop; set by the loop (Escape, WM_QUIT) and by the end
    // of the last scene.
    bool quit_requested = false;
    std::int32_t scene_index = first_scene;
    // The timeline's clocks; all start at 0.
    float scene_clock = 0.0f;
    float anim_clock = 0.0f;
    // The text clocks: [0] the intro word's and the first text line's,
    // [1] the second line's.
    float text_fade[2] = {};
    float tunnel_angle = 0.0f; // never reset
    float swarm_angle = 0.0f;  // never reset
    // Seconds the intro words' clock was put ahead of the scene time when
    // the words began (the timeline's carry); taken off when they end.
    float word_clock_lead = 0.0f;
};

// The one instance: a new run starts from SharedState{}.
extern SharedState shared;
