// Helpers for driving the scene timeline in tests: a GL window with the
// system's own init_gl and the scripted frame timer, frame-by-frame skips
// through the sequence.
#pragma once

#include "harness/test_support.h"

#include <GL/gl.h>

// A window of the given size with init_gl done and the scripted frame timer
// started at 0. `ready` is false when the window or init_gl failed.
struct TimelineWindow {
    explicit TimelineWindow(int width = 64, int height = 48);
    GlTestWindow window;
    bool ready = false;
};

// Draws frames of `frame_seconds` until scene_index has reached `index`.
// With the default 25 s every scene ends on its first frame, so this walks
// the real sequence in a few dozen frames. The scene's clocks are then set
// to their start (what the long frames carried past the scene before is
// dropped), so the next frame drawn is the first frame of `index` from its
// start. Returns the number of frames drawn.
int skip_to_scene(int index, double frame_seconds = 25.0);
