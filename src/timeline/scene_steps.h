// Drawing steps that several scenes share: the white background, the letterbox with title and swarm, the rising grey
// credit, a black text line and the black backdrop of the end cards.
#pragma once

// Blending on and a white clear colour (seen from the next frame on).
void set_white_background();

// Two black bars leaving the band y -2..2 open, the white title in the
// upper bar, and the spinning swarm to the right of the band.
void draw_letterbox();

// A grey credit rising with anim_clock: the name, then the label placed on
// top of the matrix the name left (further back, rising faster, smaller).
void draw_credit_pair(const char* name, const char* label);

// Black text at (x, y) in the plane 17 units in, with the given alpha.
void draw_text_line(const char* text, float x, float y, float alpha);

// An opaque black square over the view, then the end cards' text colour:
// white at alpha anim_clock * (4 - anim_clock).
void draw_black_backdrop();
