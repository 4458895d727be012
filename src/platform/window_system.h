// The window system the GL window is built on: window class, display mode,
// cursor, window, device context, pixel format, rendering context, buffer
// swap and the message queue. Each call stands for one step of opening or
// closing the window and fails on its own, so the window code above keeps
// every step with its own message. Built on each backend's video, windows
// and contexts (backend.h). This is what the demo calls and nothing more;
// tests and tools reach further through host.h.
#pragma once

#include "platform/messages.h"

struct PlatformWindow;
struct PlatformDeviceContext;
struct PlatformGlContext;
using WindowHandle = PlatformWindow*;
using DeviceContext = PlatformDeviceContext*;
using GlContext = PlatformGlContext*;

// What the window asks of its pixels.
struct PixelFormatRequest {
    unsigned short size = 0;
    unsigned short version = 0;
    unsigned flags = 0;          // PFD_* below
    unsigned char pixel_type = 0; // PFD_TYPE_RGBA
    unsigned char color_bits = 0;
    unsigned char alpha_bits = 0;
    unsigned char accum_bits = 0;
    unsigned char depth_bits = 0;
    unsigned char stencil_bits = 0;
    unsigned char aux_buffers = 0;
    unsigned char layer_type = 0; // PFD_MAIN_PLANE
};
constexpr unsigned PFD_DOUBLEBUFFER = 0x01;
constexpr unsigned PFD_DRAW_TO_WINDOW = 0x04;
constexpr unsigned PFD_SUPPORT_OPENGL = 0x20;
constexpr unsigned char PFD_TYPE_RGBA = 0;
constexpr unsigned char PFD_MAIN_PLANE = 0;

// The sharp mode: the scenes are drawn at the largest size of the window's
// own pixels with the aspect of the size asked for (the 4:3 area of a
// 4K monitor at 2880 x 2160), instead of at the asked size and scaled up.
// The window's size messages report that size, so the demo's viewport is
// it. Off unless asked for; set before the first window.
void platform_set_sharp(bool sharp);

// Window class: a flag with the rules of a class registry. Registering while
// registered fails, unregistering while not registered fails. The first
// registration starts the backend's video; if that fails, so does it.
bool platform_register_class();
bool platform_unregister_class();

// Display mode: succeeds only when the display offers exactly width x height
// (the colour depth closest to bits is taken). The mode is applied to the
// next fullscreen window. restore goes back to the desktop mode.
constexpr int DISP_CHANGE_SUCCESSFUL = 0;
constexpr int DISP_CHANGE_BADMODE = -2;
int platform_change_display_mode(int width, int height, int bits);
void platform_restore_display_mode();

// Cursor display count, as ShowCursor keeps it: shown while >= 0.
int platform_show_cursor(bool show);

// Window: client size width x height at (x, y); fullscreen windows are
// borderless and use the mode set by platform_change_display_mode.
WindowHandle platform_create_window(const char* title, int x, int y, int width, int height, bool fullscreen);
bool platform_destroy_window(WindowHandle window);
void platform_show_window(WindowHandle window);
void platform_set_foreground_window(WindowHandle window);
void platform_set_focus(WindowHandle window);

// Device context of a window and its pixel format.
DeviceContext platform_get_dc(WindowHandle window);
bool platform_release_dc(WindowHandle window, DeviceContext dc);
int platform_choose_pixel_format(DeviceContext dc, const PixelFormatRequest* request); // 0: none
bool platform_set_pixel_format(DeviceContext dc, int format, const PixelFormatRequest* request);

// Rendering context.
GlContext platform_create_context(DeviceContext dc);
bool platform_make_current(DeviceContext dc, GlContext context); // both null: release
bool platform_delete_context(GlContext context);
bool platform_context_current();
// Across the F1 toggle: asked for before the window's context is deleted,
// the GL objects it made (textures, display lists) live on in a context of
// the platform's own, which each next window's context shares them with.
// platform_gl_objects_kept tells whether the current context sees them;
// false where the driver cannot share (the objects must be made again).
void platform_keep_gl_objects();
bool platform_gl_objects_kept();
void platform_swap_buffers(DeviceContext dc);

// Message queue: takes one message without waiting; false when none waits.
// The window system's events become window messages: activate (high word of wParam is the
// minimised state), close, key down/up with virtual-key codes (system keys
// with Alt held and F10), size.
bool platform_peek_message(Message* message);
void platform_post_quit_message(int exit_code);
// What the window system does with a message the window procedure leaves
// to it: Alt+F4 asks the window to close; everything else is ignored.
long platform_default_window_proc(const Message& message);
