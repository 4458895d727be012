// The one presenting policy, for every backend: the demo always draws at
// the size it asked for. A window whose pixels are that size, and whose own
// buffers have all the demo asked for, is drawn straight into; any other
// gets a drawable of the asked size, which each swap shows scaled
// (drawable.h). The page reads frames back with presenter_read_back; the
// capture tool reads its own target.
#pragma once

#include "present/drawable.h"

// After a context was made current on the window or the window changed
// size: makes, keeps or lets go of the context's drawable. A window with
// no size (minimised) keeps what it has. False, with the reason in *error,
// when a drawable was needed and could not be made: the demo then draws
// into the window's own buffers, as wide as they are.
bool presenter_follow(GlDrawable* drawable, int want_width, int want_height, int pixels_width, int pixels_height,
                      bool buffers_complete, int depth_bits, const char** error);

// Frames whose pixels nobody keeps (a capture's frames before a still, the
// page's fixed-rate frames not asked for) go to a drawable of 1 x 1: the
// same GL calls at the same viewport, and next to nothing filled. Every
// frame clears colour and depth before it draws and no frame reads another's
// pixels, so a frame kept after sunk ones is the frame it would have been.
// With a GL context current: makes the sink on first use and binds it;
// false, with the reason in *error, when it cannot be made.
bool presenter_sink_bind(GlDrawable* sink, const char** error);

// The frame bound for reading, width x height, as RGBA rows bottom first.
void presenter_read_back(int width, int height, unsigned char* rgba);
