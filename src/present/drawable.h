// A drawable of exactly the size the demo asked for, whatever the size of
// the window or monitor that shows it: a framebuffer object with an 8-bit
// RGB colour buffer and a depth buffer, drawn and read in place of the
// window's own buffers. The window's presenter shows it scaled to the
// window with its aspect kept; the capture tool reads it back.
#pragma once

struct GlDrawable {
    unsigned framebuffer = 0;
    unsigned colour = 0;
    unsigned depth = 0;
    int width = 0;
    int height = 0;
};

// With a GL context current: makes the drawable (depth_bits 16, 24 or 32;
// 24 when 0) and binds it for drawing and reading. False, with a reason in
// *error and nothing made, when the context cannot have one of that size.
bool drawable_create(GlDrawable* drawable, int width, int height, int depth_bits, const char** error);
// Deletes what the drawable holds in the current context and binds the
// window's own buffers again.
void drawable_destroy(GlDrawable* drawable);
// Binds it for drawing and reading; null binds the window's own buffers.
void drawable_bind(const GlDrawable* drawable);
// Shows the drawable in the window's back buffer (output_width x
// output_height pixels): scaled with linear filtering into the largest
// rectangle of its aspect that fits, centred, the bars around it black.
// Leaves the drawable bound.
void drawable_present(const GlDrawable* drawable, int output_width, int output_height);
