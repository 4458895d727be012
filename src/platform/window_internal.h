// What the window system's own units (the rules, a backend's window and
// context, events, message boxes, the counter) share with each other, and
// the points where the testing seam (host.h) plugs in. Nothing
// outside src/platform includes this but the testing seam's header, host.h.
#pragma once

#include "platform/message_queue.h"
#include "platform/messages.h"
#include "platform/window_system.h"

#include <cstdint>
#include <deque>
#include <string>

// What the window is to the face's rules; the backend keeps its own part
// (an SDL window, a canvas) behind `backend`.
struct BackendWindow;
struct PlatformWindow {
    BackendWindow* backend = nullptr;
    std::string title;
    bool fullscreen = false;
    int width = 0, height = 0; // the client size asked for: what the demo draws
};

// The one device context there is, of the live window while it is taken.
struct PlatformDeviceContext {
    WindowHandle window = nullptr;
    int pixel_format = 0;
};

// What message_queue.h keeps: the messages in the order they were sent,
// and a quit posted for when nothing else waits.
struct QueuedMessages {
    std::deque<Message> waiting;
    bool quit_posted = false;
    int quit_code = 0;
};

// Where the sequence was last placed (platform_counter_place), by number.
struct CounterPlace {
    int serial = 0;
    double seconds = 0.0;
    bool paused = false;
};

struct WindowState {
    bool class_registered = false;
    bool video_started = false;
    const char* video_driver = ""; // its name while it runs
    bool exit_hook = false;        // video ends at process exit
    bool monitor = false;          // video has a monitor for a fullscreen window to cover
    int cursor_count = 0;
    WindowHandle live_window = nullptr; // the one window, null while none exists
    bool sharp = false;                 // platform_set_sharp
    QueuedMessages messages;
    PlatformDeviceContext live_dc;
    bool context_current = false;
    GlContext current_context = nullptr; // drawn with on live_dc's window
    bool keep_asked = false;             // platform_keep_gl_objects, until the context goes
    bool objects_kept = false;           // the backend's keeper holds GL objects, until video stops
    bool single_asked = false;           // the pixel format asked for no back buffer
    bool buffers_complete = false;       // the window's own buffers have all the pixel format asked
    bool single_buffered = false;        // the current context draws without a back buffer
    int depth_bits = 16;                 // of the drawable: what the pixel format asked for
    CounterPlace counter_place;
};
extern WindowState window_state;

// The presenter follows the window's size: after the window changed size,
// before the next frame is drawn.
void presenter_follow_window();
// The client size the window's messages report: what the demo asked for in
// fullscreen (the monitor's own size is the presenter's business), the
// window's size in the desktop's logical units otherwise; in the sharp
// mode, the largest size of the window's pixels with the asked aspect.
void reported_client_size(int* width, int* height);

// The build's kind of GL (gl_profile.cpp). Before a swap or a read-back:
// everything drawn so far reaches the driver.
void gl_profile_finish_drawing();
// Just before a context is deleted; whether a context that shares its
// objects lives on.
void gl_profile_context_deleted(bool share_group_lives);
// Returns once the driver has drawn everything drawn so far.
void gl_profile_wait_for_frame();

// Ends the backend's video (at process exit, and for tests that start it
// again with another driver).
void platform_shutdown_video();

// Name of the video driver in use, or "" before video has started.
const char* platform_video_driver();

// The steps of opening and closing the window that can fail.
enum class PlatformStep {
    register_class,
    unregister_class,
    change_display_mode,
    create_window,
    destroy_window,
    get_dc,
    release_dc,
    choose_pixel_format,
    set_pixel_format,
    create_context,
    make_current,
    release_current,
    delete_context,
    count
};

// Where the testing seam looks in. The demo never links the seam, so the
// pointer stays null and each place costs one test of it.
struct PlatformSeam {
    bool (*step)(PlatformStep step);  // before a step that can fail; false makes it fail
    void (*call)(const char* name);   // a call that cannot fail
    // A message box; true when the seam answered it in *answer.
    bool (*message_box)(const char* text, const char* caption, unsigned style, int* answer);
    void (*before_peek)();                  // a message is looked for
    void (*after_peek)(const Message* taken); // what was taken, null: nothing waits
    void (*after_swap)();
};
extern const PlatformSeam* platform_seam;

// The counter that stands in for the backend's (performance_counter.h);
// null: the backend's own.
struct CounterSource;
extern const CounterSource* counter_source;
