// Everything a backend provides, in one place: a folder of src/platform
// (sdl/, win32/, web/) defines each function below. The rules above
// (window_rules.cpp, fsound_rules.cpp, font_rules.cpp, message_box.cpp,
// performance_counter.cpp) decide whether a call is allowed and keep the
// testing seam's steps; a backend only does the thing or says it could not,
// and keeps its state in one struct of its own (<folder>/*_backend.h).
#pragma once

#include "platform/font_outlines.h"
#include "platform/song_clock.h"
#include "platform/window_internal.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// --- Video, windows and GL contexts (window_rules.cpp calls these) ---

struct BackendContext;

// Video, started by the first class registration; *driver: its name, a
// string that lives as long as the process.
enum class VideoStart {
    none,       // no video here: the caller's registration fails
    no_monitor, // windows, but no monitor for a fullscreen one to cover
    monitor,
};
VideoStart backend_video_start(const char** driver);
// Ends video, the kept objects' keeper with it (at process exit, and for
// tests that start it again with another driver); false where it cannot
// end (its display has gone).
bool backend_video_stop();

// A window of the asked client size, hidden until shown; null on failure.
BackendWindow* backend_window_open(const char* title, int x, int y, int width, int height, bool fullscreen);
// The steps that cannot fail: shows a window, brings it to the front,
// gives it the keyboard, closes it (it is gone after); shows or hides the
// cursor over the demo's windows (`window` null).
enum class WindowStep { show, raise, focus, close, show_cursor, hide_cursor };
void backend_window_step(BackendWindow* window, WindowStep step);
// The next message from the window system (messages.h), translated and put
// in the queue (message_queue.h) and taken from it; false when none waits.
bool backend_next_message(Message* message);
// A window's size in the desktop's logical units, and in pixels.
struct WindowSize {
    int width = 0, height = 0;
    int pixels_width = 0, pixels_height = 0;
};
WindowSize backend_window_size(const PlatformWindow& window);
// The request applied to the window's pixels (the window may be made
// again); *buffers_complete: the window's own buffers have all it asked
// for, so that at its size it may be drawn straight into, without a drawable.
bool backend_pixel_format_set(PlatformWindow& window, const PixelFormatRequest& request, bool* buffers_complete);

// A GL context for the window, not yet current; *shares_kept: made in the
// share group of the kept objects.
BackendContext* backend_context_create(PlatformWindow& window, bool* shares_kept);
// Makes `context` current on `window`; a null context releases the current
// one (and `window` may be null). *single_buffered comes in as whether a
// single buffer was asked for, and goes out as whether the context draws
// straight to the front buffer (as asked, where the window system cannot
// say).
bool backend_make_current(PlatformWindow* window, BackendContext* context, bool* single_buffered);
// Deletes `context`. Where `keep_on` is a window, the context's objects are
// kept first (current on that window for that) in a context of the
// backend's own: true when they were. The keeper lives until video stops.
bool backend_context_delete(BackendContext* context, PlatformWindow* keep_on);

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

// --- Files: the face reads the media files through POSIX
// (media_files.cpp); on a system without it the backend defines
// platform_media_file_opens, platform_media_file_name and
// platform_load_media_file (media_files.h, media_files_internal.h) in its
// place, as win32/ does. ---

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
// No channel plays the sample once it is freed. A null sample closes the
// device, after every channel was stopped and each sample freed.
void backend_sample_free(BackendSample* sample);
// The layer's last error changed (the page shows it).
void backend_sound_error(int code);

// --- Fonts: registration, matching and glyph outlines (font_rules.cpp
// calls these; it takes only regular files, once each, keeps the list, and
// maps the ANSI codes) ---

// The font files added so far, by absolute name, in order.
struct FontState {
    std::vector<std::string> files;
};
extern FontState font_state;

struct BackendFace;
// A matched face: the backend's own part, and what was matched.
struct OutlineFace {
    BackendFace* backend = nullptr;
    std::string family;    // the face's own family name
    std::string file;      // its file; "" where the system does not say
    bool embolden = false; // its outlines emboldened: it is lighter than was asked
    bool symbol = false;   // a symbol font: the ANSI codes live at U+F000 + code
};

// Adds the font file `name` (absolute, a regular file, not added before) to
// those matched; false when it holds no font. A null name forgets them all.
bool backend_font_file(const char* name);
// The face the system's matching picks for `family` at `weight` (another
// face when that family has none), what was matched set in *face; null
// when no face opens.
BackendFace* backend_face_match(const char* family, int weight, OutlineFace* face);
void backend_face_close(BackendFace* face);
// The outline of Unicode `character` (the face's missing glyph where it has
// none) into an empty *out, as font_outlines.h says; false when the glyph
// cannot be loaded.
bool backend_glyph_outline(const OutlineFace& face, unsigned character, GlyphOutline* out);
