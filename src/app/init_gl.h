// The GL part of start-up: every resource made once in the first rendering
// context, then the state the first frame starts from.
#pragma once

// The steps of init_gl, in the order it walks them.
enum class InitGlStep { textures, display_lists, font, baseline_state, stars };

// Told after each step init_gl has walked, the failed textures too (the
// capture tool times the steps with it); context is passed on as given.
using InitGlObserver = void (*)(InitGlStep step, void* context);

// Makes the textures, display lists and font, sets the baseline state and
// the fog, and fills the star records. False when the textures failed to
// load; nothing after them is then made or set.
bool init_gl(InitGlObserver observer = nullptr, void* context = nullptr);

// The parts of init_gl that a new context needs again (the F1 toggle): the
// resources; false when the textures failed (the rest is still made).
bool create_gl_resources();
