// The intro words: one word drifting and fading behind a white window
// frame with one opening.
#pragma once

// Draws the word on its clock and advances the clock by the frame's delta
// times `rate`; true on the frame that finds the clock past the limit,
// before that frame's advance (the word's scene is then over; the clock has
// still advanced, and the timeline carries what is past the limit on).
bool draw_intro_word(float x, float y, float limit, float rate, const char* text, float& clock);
void draw_window_frame(float x1, float y1, float x2, float y2);
