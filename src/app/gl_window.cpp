// The GL window: class, display mode, window, device context, pixel format
// and context, opened and closed in a fixed order, each step with its own
// message when it fails.
#include "app/gl_window.h"

#include "app/player.h"

#include "platform/message_box.h"
#include "resources/resources_state.h"

#include <GL/gl.h>
#include <GL/glu.h>

AppState app;

namespace {

const char executable_module = 0; // stands for the executable's module handle

struct WindowRect {
    int left, top, right, bottom;
};

void error_box(const char* text) { platform_message_box(text, "ERROR", MB_OK | MB_ICONEXCLAMATION); }

void shutdown_box(const char* text) { platform_message_box(text, "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION); }

void fill_pixel_format_request(int color_bits)
{
    app.pixel_format_request = PixelFormatRequest{};
    app.pixel_format_request.size = 40;
    app.pixel_format_request.version = 1;
    app.pixel_format_request.flags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    app.pixel_format_request.pixel_type = PFD_TYPE_RGBA;
    app.pixel_format_request.color_bits = static_cast<unsigned char>(color_bits);
    app.pixel_format_request.depth_bits = 16;
    app.pixel_format_request.layer_type = PFD_MAIN_PLANE;
}

} // namespace

bool open_window(const char* title, int width, int height, int color_bits, bool fullscreen_flag)
{
    WindowRect rect{0, 0, width, height};
    app.fullscreen = fullscreen_flag;

    app.app_instance = &executable_module;
    if (!platform_register_class()) {
        error_box("Failed To Register The Window Class.");
        return false;
    }

    if (app.fullscreen) {
        if (platform_change_display_mode(width, height, color_bits) == DISP_CHANGE_SUCCESSFUL) {
            platform_show_cursor(false);
        } else {
            int answer = platform_message_box(
                "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?",
                "Dova GL", MB_YESNO | MB_ICONEXCLAMATION);
            if (answer == IDYES) {
                app.fullscreen = false;
            } else {
                platform_message_box("Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP);
                return false;
            }
        }
    }

    // The window system sizes the client area itself, with or without a
    // frame, so the adjusted rectangle is the requested one.
    app.main_window = platform_create_window(title, 0, 0, rect.right - rect.left, rect.bottom - rect.top, app.fullscreen);
    if (!app.main_window) {
        close_window();
        error_box("Window Creation Error.");
        return false;
    }

    if (!app.pixel_format_filled) {
        fill_pixel_format_request(color_bits);
        app.pixel_format_filled = true;
    }

    app.window_dc = platform_get_dc(app.main_window);
    if (!app.window_dc) {
        close_window();
        error_box("Can't Create A GL Device Context.");
        return false;
    }

    int format = platform_choose_pixel_format(app.window_dc, &app.pixel_format_request);
    if (format == 0) {
        close_window();
        error_box("Can't Find A Suitable PixelFormat.");
        return false;
    }

    if (!platform_set_pixel_format(app.window_dc, format, &app.pixel_format_request)) {
        close_window();
        error_box("Can't Set The PixelFormat.");
        return false;
    }

    app.gl_context = platform_create_context(app.window_dc);
    if (!app.gl_context) {
        close_window();
        error_box("Can't Create A GL Rendering Context.");
        return false;
    }

    if (!platform_make_current(app.window_dc, app.gl_context)) {
        close_window();
        error_box("Can't Activate The GL Rendering Context.");
        return false;
    }

    platform_show_window(app.main_window);
    platform_set_foreground_window(app.main_window);
    platform_set_focus(app.main_window);
    resize_viewport(width, height);
    return true;
}

void close_window()
{
    if (app.fullscreen) {
        platform_restore_display_mode();
        platform_show_cursor(true);
    }

    if (app.gl_context) {
        if (!platform_make_current(nullptr, nullptr))
            shutdown_box("Release Of DC And RC Failed.");
        if (!platform_delete_context(app.gl_context))
            shutdown_box("Release Rendering Context Failed.");
        app.gl_context = nullptr;
    }

    if (app.window_dc) {
        if (!platform_release_dc(app.main_window, app.window_dc))
            shutdown_box("Release Device Context Failed.");
        app.window_dc = nullptr;
    }

    if (app.main_window) {
        if (!platform_destroy_window(app.main_window))
            shutdown_box("Could Not Release hWnd.");
        app.main_window = nullptr;
    }

    if (!platform_unregister_class())
        shutdown_box("Could Not Unregister Class.");
    app.app_instance = nullptr;
}

long window_proc(WindowHandle window, unsigned message, std::uintptr_t wparam, std::intptr_t lparam)
{
    (void)window;
    Message m{message, wparam, lparam};
    switch (message) {
    case WM_ACTIVATE:
        app.window_active = high_word(wparam) == 0;
        return 0;
    case WM_SYSCOMMAND:
        if (wparam == SC_SCREENSAVE || wparam == SC_MONITORPOWER)
            return 0;
        return platform_default_window_proc(m);
    case WM_CLOSE:
        platform_post_quit_message(0);
        return 0;
    case WM_KEYDOWN:
        if (wparam < 256) { // the key table has 256 entries; other codes are ignored
            player_key(static_cast<unsigned>(wparam), app.key_down[wparam]);
            app.key_down[wparam] = true;
        }
        return 0;
    case WM_KEYUP:
        if (wparam < 256)
            app.key_down[wparam] = false;
        return 0;
    case WM_APP_SEEK:
        player_ask_time(static_cast<double>(wparam) / 1000.0);
        return 0;
    case WM_SIZE:
        resize_viewport(low_word(static_cast<std::uintptr_t>(lparam)), high_word(static_cast<std::uintptr_t>(lparam)));
        return 0;
    default:
        return platform_default_window_proc(m);
    }
}

void resize_viewport(int width, int height)
{
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    // The lines' weights follow the picture's height.
    resources.line_scale = static_cast<float>(height) / 600.0f;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), static_cast<double>(0.1f), 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
