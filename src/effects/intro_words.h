// The intro words: one word drifting and fading behind a white window
// frame with one opening.
#pragma once

// Draws the word on its clock and advances the clock by the frame's delta
// times `rate`; true on the frame that finds the clock past the limit (the
// clock is then back at 0 and the word's scene is over).
bool draw_intro_word(float x, float y, float limit, float rate, const char* text, float& clock);
void draw_window_frame(float x1, float y1, float x2, float y2);
