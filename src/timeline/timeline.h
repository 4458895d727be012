// The scene timeline: render_frame draws the scene in scene_index, ticks the
// frame timer once, advances the scene's clocks and moves on when the scene
// has run its length.
#pragma once

#include "shared/shared_state.h"
#include "timeline/scene_table.h"

bool render_frame();

// The clock mechanism the scenes of scene_script.cpp run on.

// Ticks the frame timer (once per drawn frame) and returns the new delta.
float tick_frame_timer();

// Adds delta times rate to a clock.
inline void advance_clock(float& clock, float delta, float rate) { clock += delta * rate; }

// Ends the current scene: scene_index moves on by one and the reset set
// goes to 0. `surplus` is the seconds of the ending frame past the scene's
// end (its end clock past the threshold, over the clock's rate): it is
// carried into the next scene's clocks at that scene's rates, so every
// scene starts at its nominal time whatever the frame rate.
void end_scene(ResetSet reset, float surplus);

// The end rule of most scenes: scene_clock advances at rate 1 and the scene
// ends once it has reached `length`, handing what is past it to the next
// scene. Returns whether the scene ended.
bool run_scene_clock(float delta, float length, ResetSet reset);
