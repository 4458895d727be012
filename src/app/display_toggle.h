// The F1 toggle replaces the window and with it the GL context. Everything
// the scenes rely on is brought into the new context: the resources (made
// anew), the baseline state, and then the state the scenes carry from frame
// to frame as it stood before the toggle, so the sequence goes on as if
// nothing had happened. Non-GL state (clocks, star records) is not touched.
#pragma once

struct CarriedGlState {
    bool valid = false;
    float clear_color[4] = {};
    float current_color[4] = {};
    bool blend = false;
    bool depth_test = false;
    bool texture_2d = false;
    bool fog = false;
    bool line_smooth = false;
    int blend_src = 0;
    int blend_dst = 0;
    int depth_func = 0;
    float line_width = 1.0f;
    int bound_texture_slot = -1; // slot of texture_ids, or -1 for none
    float modelview[16] = {};
};

// Reads the carried state from the current context (before it is closed).
CarriedGlState capture_carried_gl_state();
// In the new, current context: resources, baseline state, carried state.
void restore_gl_after_toggle(const CarriedGlState& carried);
// The carried state alone, over the baseline state (a player's seek).
void apply_carried_gl_state(const CarriedGlState& carried);
