// The GL state every run starts from: the baseline state and the fog.
#pragma once

extern const float fog_color[4];

void setup_fog();
// Smooth shading, the clear values, depth test with GL_ALWAYS, alpha
// blending, smooth lines, and the fog.
void set_baseline_gl_state();
