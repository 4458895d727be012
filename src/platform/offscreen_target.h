// An offscreen render target for the capture tool: a framebuffer object of
// any size with an 8-bit RGB colour buffer and a 16-bit depth buffer, bound
// in place of the window's own buffers, and read back row by row. It also
// picks SDL's offscreen video driver and keeps audio closed, so a capture
// needs neither a display server nor a sound device.
#pragma once

#include <cstdint>

// Before the window opens: unless the caller's environment names a video
// driver, use SDL's offscreen driver (a Mesa context with no display).
void platform_prefer_offscreen_video();

// With a GL context current: makes the target and binds it for drawing and
// reading. False (with a reason in *error) when the context cannot make one.
bool offscreen_target_create(int width, int height, const char** error);
void offscreen_target_destroy();

// The frames read back from now on are `output_width` x `output_height`
// (at least the target's size), the target's picture centred in them on
// black, pixel for pixel: a capture at another aspect than the drawable's
// is pillarboxed or letterboxed without scaling. The target's own size is
// the default.
void offscreen_target_place_in(int output_width, int output_height);

// Whether the frames drawn from now on keep their pixels (the default):
// the frames before a still need drawing only for what they advance, and
// unkept they are drawn into a 1 x 1 sink at the same viewport
// (presenter.h), where next to nothing is filled. Where no sink can be made
// they are drawn in full.
void offscreen_target_keep_pixels(bool keep);

// Reads the whole target as RGB bytes, top row first (the order pictures
// and video frames use), placed in the output size; rgb holds output width *
// output height * 3 bytes. Waits for the frame to finish drawing.
void offscreen_target_read_rgb(std::uint8_t* rgb);

// Asynchronous read-back through pixel buffer objects: read_begin starts
// reading the frame just drawn into pixel buffer `slot` (0 .. slots - 1)
// and returns at once; read_end waits for that read, then fills rgb as
// offscreen_target_read_rgb does, with the same bytes (false when the
// buffer cannot be mapped). False from offscreen_target_pbo_init when the
// driver has no pixel buffer objects.
bool offscreen_target_pbo_init(int slots);
void offscreen_target_read_begin(int slot);
bool offscreen_target_read_end(int slot, std::uint8_t* rgb);

// Waits until every GL command issued so far has been carried out.
void offscreen_target_finish();
// Hands the commands issued so far to the driver without waiting.
void offscreen_target_flush();

// Name and version of the GL renderer, for reports.
const char* offscreen_target_renderer();
