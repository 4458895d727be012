// The GL state every run starts from: resources, baseline state and fog.
#pragma once

extern const float fog_color[4];

// Makes the textures, display lists and font, sets the baseline state and
// the fog, and fills the star records. False when the textures failed to
// load; nothing after them is then made or set.
bool init_gl();
void setup_fog();

// The parts of init_gl that a new context needs again (the F1 toggle):
// resources (false when the textures failed; the rest is still made) ...
bool create_gl_resources();
// ... and the baseline state with the fog.
void set_baseline_gl_state();
