// The intro words: one word drifting and fading behind a white window
// frame with one opening; the word's clock ends its scene.
#pragma once

int draw_intro_word(float x, float y, float limit, const char* text, int slot);
int draw_window_frame(float x1, float y1, float x2, float y2);
