// What a backend gives the window rules (window_rules.cpp): plain calls on
// its video, windows and GL contexts, with no rule of the face in them. The
// rules decide whether a call is allowed (class registered, one window, one
// device context, the pixel format set once, the destroy order) and keep
// the testing seam's steps; a backend only does the thing or says it could
// not. One set of these per backend folder.
#pragma once

#include "platform/window_internal.h"

struct BackendContext;

// Video, started by the first class registration; false: no video here
// (the caller's registration fails).
bool backend_video_start();
// Whether there is a monitor for a fullscreen window to cover.
bool backend_monitor_available();
void backend_cursor_shown(bool shown);

// A window of the asked client size, hidden until shown; null on failure.
BackendWindow* backend_window_open(const char* title, int x, int y, int width, int height, bool fullscreen);
void backend_window_close(BackendWindow* window);
void backend_window_show(BackendWindow* window);
void backend_window_raise(BackendWindow* window);
void backend_window_focus(BackendWindow* window);
// A window's size in the desktop's logical units, and in pixels.
void backend_window_size(const PlatformWindow& window, int* width, int* height);
void backend_window_pixels(const PlatformWindow& window, int* width, int* height);
// Whether a window's own buffers have all the demo asked for, so that at
// its size it may be drawn straight into, without a drawable.
bool backend_window_buffers_complete();
// The request applied to the window's pixels (the window may be made again).
bool backend_pixel_format_set(PlatformWindow& window, const PixelFormatRequest& request);

// A GL context for the window, not yet current; *shares_kept: made in the
// share group of the kept objects.
BackendContext* backend_context_create(PlatformWindow& window, bool* shares_kept);
bool backend_make_current(PlatformWindow& window, BackendContext* context);
void backend_release_current();
bool backend_context_live();
void backend_context_delete(BackendContext* context);
// Keeps the objects of `context` (current on `window` for that) in a
// context of the backend's own; true when they are kept. The keeper lives
// until video stops.
bool backend_keep_objects(PlatformWindow& window, BackendContext* context);
bool backend_has_keeper();

// The frame is finished in the drawable (or the window's buffers) of that
// size, before it is shown: where a backend hands frames over, it reads it.
void backend_frame_finished(int width, int height);
// Shows the back buffer; returns when the next frame may be drawn.
void backend_swap(PlatformWindow& window);
// After a swap: whether anyone keeps the next frame's pixels. Where no one
// does, the next frame is drawn into the presenter's sink (presenter.h).
bool backend_next_frame_kept();
// A warning where the backend's log goes.
void backend_warn(const char* text);

// Shows a modal box (message_box.h), owned by the live window where there
// is one: IDOK, IDYES or IDNO, or 0 when no box could be shown. Text and
// caption are never null.
int backend_message_box(const char* text, const char* caption, unsigned style);
// When a box is also one line "CAPTION: TEXT" on standard error: never,
// instead of a box that cannot be shown, or always (before the box).
enum class BoxLine { never, instead, always };
BoxLine backend_message_box_line();

// The backend's own high-resolution counter (performance_counter.cpp puts
// an installed source in its place).
bool backend_query_frequency(std::int64_t* frequency); // false: no counter
std::int64_t backend_query_counter();
