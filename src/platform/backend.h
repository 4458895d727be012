// Everything a backend provides, in one place: a folder of src/platform
// (sdl/, win32/, web/) defines each function below, and the face's calls
// that are the host's own: the message pump (platform_peek_message in
// window_system.h), the outline fonts (font_outlines.h, and the queries and
// platform_forget_font_files in host.h), and where the host library is
// built (not the page) platform_headless, platform_video_driver and
// platform_shutdown_video (host.h). The rules
// above (window_rules.cpp, fsound_rules.cpp, message_box.cpp,
// performance_counter.cpp) decide whether a call is allowed and keep the
// testing seam's steps; a backend only does the thing or says it could not,
// and keeps its state in one struct of its own (<folder>/*_backend.h).
#pragma once

#include "platform/song_clock.h"
#include "platform/window_internal.h"

#include <cstddef>
#include <cstdint>

// --- Video, windows and GL contexts (window_rules.cpp calls these) ---

struct BackendContext;

// Video, started by the first class registration.
enum class VideoStart {
    none,       // no video here: the caller's registration fails
    no_monitor, // windows, but no monitor for a fullscreen one to cover
    monitor,
};
VideoStart backend_video_start();
void backend_cursor_shown(bool shown);

// A window of the asked client size, hidden until shown; null on failure.
BackendWindow* backend_window_open(const char* title, int x, int y, int width, int height, bool fullscreen);
void backend_window_close(BackendWindow* window);
// Shows a window, brings it to the front, or gives it the keyboard.
enum class WindowBring { show, raise, focus };
void backend_window_bring(BackendWindow* window, WindowBring step);
// A window's size in the desktop's logical units, and in pixels.
struct WindowSize {
    int width = 0, height = 0;
    int pixels_width = 0, pixels_height = 0;
};
WindowSize backend_window_size(const PlatformWindow& window);
// Whether a window's own buffers have all the demo asked for, so that at
// its size it may be drawn straight into, without a drawable.
bool backend_window_buffers_complete();
// The request applied to the window's pixels (the window may be made again).
bool backend_pixel_format_set(PlatformWindow& window, const PixelFormatRequest& request);

// A GL context for the window, not yet current; *shares_kept: made in the
// share group of the kept objects.
BackendContext* backend_context_create(PlatformWindow& window, bool* shares_kept);
// Makes `context` current on `window`; a null context releases the current
// one (and `window` may be null).
bool backend_make_current(PlatformWindow* window, BackendContext* context);
void backend_context_delete(BackendContext* context);
// Keeps the objects of `context` (current on `window` for that) in a
// context of the backend's own; true when they are kept. The keeper lives
// until video stops, which calls kept_objects_going() before it deletes it.
bool backend_keep_objects(PlatformWindow& window, BackendContext* context);

// The frame is finished in the drawable (or the window's buffers) of that
// size, before it is shown: where a backend hands frames over, it reads it.
void backend_frame_finished(int width, int height);
// Shows the back buffer; returns when the next frame may be drawn, and
// whether anyone keeps that next frame's pixels. Where no one does, it is
// drawn into the presenter's sink (presenter.h).
bool backend_swap(PlatformWindow& window);

// Shows a modal box (message_box.h), owned by the live window where there
// is one: IDOK, IDYES or IDNO, or 0 when no box could be shown. Text and
// caption are never null.
int backend_message_box(const char* text, const char* caption, unsigned style);
// When a box is also one line "CAPTION: TEXT" on standard error: never,
// instead of a box that cannot be shown, or always (before the box).
enum class BoxLine { never, instead, always };
extern const BoxLine backend_box_line;

// The backend's own high-resolution counter: its counts per second and its
// count now, each where its pointer is not null; false where there is no
// counter (performance_counter.cpp puts an installed source in its place).
bool backend_counter(std::int64_t* frequency, std::int64_t* count);

// --- The GL context: the system's OpenGL, or OpenGL ES 3.0 under the layer
// of src/gles in the ES build and on the page (gl_profile.cpp) ---

// Whether the current context draws straight to the front buffer; where
// the window system cannot say, whether a single buffer was asked for.
bool gl_profile_single_buffered(bool asked_single);
// Whether any GL context is current on this thread.
bool gl_profile_context_live();

// A GL entry point beyond GL 1.1 (framebuffer and buffer objects), looked up
// through the window system in whatever context is current; false when the driver has
// none of that name.
void* gl_profile_entry_point(const char* name);
template <typename T> bool gl_profile_look_up(T* function, const char* name)
{
    *function = reinterpret_cast<T>(gl_profile_entry_point(name));
    return *function != nullptr;
}

// --- Sound: a device, a decoder and channels (fsound_rules.cpp calls these;
// it checks the arguments, keeps the sample list and the last error, and
// reads the file) ---

struct BackendSample;

// A channel of a backend's own mixer (fsound_rules.cpp checks the arguments).
struct SoundChannel {
    BackendSample* sample;  // null when the channel is free
    SongClock clock;        // its place in the sample
    std::int64_t played_at; // the performance counter when it was played
};
// The channel a sound is played on: the one named, or with `channel` < 0
// the first free one (-1 when none is). A channel named outright gives up
// what it played. The caller holds its mixer's lock.
int sound_channel_to_play(const SoundChannel* channels, int count, int channel);

// Opens the output device at `rate` with up to `channels` channels; the
// channels it has, 0 when there is no device.
int backend_sound_open(int rate, int channels);

enum class DecodeResult { decoded, undecodable, no_memory };
// Decodes a whole file's bytes; *sample is set only when decoded.
DecodeResult backend_sound_decode(const unsigned char* bytes, std::size_t size, BackendSample** sample);
// Plays `sample` on a channel (sound_channel_to_play) from `from_seconds`
// into it, heard as if played that long ago: the channel it plays on, < 0
// when none is free. A null sample stops the channel named.
int backend_sound_play(int channel, BackendSample* sample, int channel_count, double from_seconds);
// No channel plays the sample once it is freed.
void backend_sample_free(BackendSample* sample);
// After every channel was stopped and each sample freed.
void backend_sound_close();
// The layer's last error changed (the page shows it).
void backend_sound_error(int code);
