// The window and its OpenGL context on SDL2: the window class (a flag with
// a registry's rules), the display-mode change, the cursor count, the
// window, its device context and pixel format, the rendering context and
// the buffer swap, each step failing on its own.
#include "platform/window_system.h"

#include "platform/gl_profile.h"
#include "platform/window_internal.h"

#include <GL/gl.h>
#include <SDL.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdlib>
#include <string>

struct PlatformDeviceContext {
    WindowHandle window = nullptr;
    int pixel_format = 0;
};

struct PlatformGlContext {
    SDL_GLContext sdl = nullptr;
};

const PlatformSeam* platform_seam = nullptr;

namespace window_state {
bool class_registered = false;
bool video_started = false;
int cursor_count = 0;
WindowHandle live_window = nullptr;
} // namespace window_state

using namespace window_state;

namespace {

bool mode_pending = false;
SDL_DisplayMode pending_mode{};
PlatformDeviceContext live_dc;
bool context_current = false;
bool single_buffered = false; // the current context draws without a back buffer
// SDL picks a window's pixel format (X visual, EGL config) when it makes the
// window, from the GL attributes set at that moment. Every change of the
// attributes starts a new generation; a window of an older one is made
// again (still hidden) when its pixel format is set.
unsigned pixel_generation = 0;
int gl_attributes[11] = {};
bool gl_attributes_set = false;

// Each step asks the testing seam first, where one is linked: it may make
// the step fail. Calls that cannot fail are only told to it.
bool step(PlatformStep which) { return !platform_seam || platform_seam->step(which); }

void log_call(const char* name)
{
    if (platform_seam)
        platform_seam->call(name);
}

// The X server went away (killed, or the session ended): Xlib ends the
// process from its I/O error handler, and every further call on the dead
// connection would wait forever, SDL's own clean-up included.
bool display_lost = false;
int (*xlib_io_error_handler)(Display*) = nullptr;

int on_display_lost(Display* display)
{
    display_lost = true;
    if (xlib_io_error_handler)
        return xlib_io_error_handler(display); // says why and ends the process
    std::exit(1);
}

// Ends SDL video at process exit.
void shutdown_video() { platform_shutdown_video(); }

} // namespace

bool platform_register_class()
{
    if (!step(PlatformStep::register_class))
        return false;
    if (class_registered)
        return false;
    if (!video_started) {
        // Only a termination signal should ask the window to close; the last
        // window going away (the fullscreen toggle) is no reason to quit.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            return false;
        // With no display server SDL falls back to a driver that shows
        // nothing, and the demo would play unseen: such a driver is taken
        // only when it is asked for by name (tests, the capture tool).
        const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
        const char* wanted = SDL_GetHint(SDL_HINT_VIDEODRIVER);
        if ((!wanted || !*wanted) && (driver == "offscreen" || driver == "dummy")) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            return false;
        }
        video_started = true;
        if (driver == "x11" && !xlib_io_error_handler)
            xlib_io_error_handler = XSetIOErrorHandler(on_display_lost);
        // However the process ends (std::exit included), SDL puts the
        // desktop mode back, as Windows does for a process that changed it.
        static bool exit_hook = false;
        if (!exit_hook) {
            std::atexit(shutdown_video);
            exit_hook = true;
        }
    }
    class_registered = true;
    return true;
}

bool platform_unregister_class()
{
    if (!step(PlatformStep::unregister_class))
        return false;
    if (!class_registered)
        return false;
    class_registered = false;
    return true;
}

int platform_change_display_mode(int width, int height, int bits)
{
    if (!step(PlatformStep::change_display_mode))
        return DISP_CHANGE_BADMODE;
    if (!video_started)
        return DISP_CHANGE_BADMODE;
    int modes = SDL_GetNumDisplayModes(0);
    bool found = false;
    SDL_DisplayMode best{};
    for (int i = 0; i < modes; ++i) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(0, i, &mode) != 0)
            continue;
        if (mode.w != width || mode.h != height)
            continue;
        int depth = SDL_BITSPERPIXEL(mode.format);
        if (!found || std::abs(depth - bits) < std::abs(static_cast<int>(SDL_BITSPERPIXEL(best.format)) - bits)) {
            best = mode;
            found = true;
        }
    }
    if (!found)
        return DISP_CHANGE_BADMODE;
    pending_mode = best;
    mode_pending = true;
    return DISP_CHANGE_SUCCESSFUL;
}

void platform_restore_display_mode()
{
    log_call("restore_display_mode");
    if (live_window && live_window->fullscreen)
        SDL_SetWindowFullscreen(live_window->sdl, 0);
    mode_pending = false;
}

int platform_show_cursor(bool show)
{
    log_call(show ? "show_cursor" : "hide_cursor");
    cursor_count += show ? 1 : -1;
    if (video_started)
        SDL_ShowCursor(cursor_count >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return cursor_count;
}

WindowHandle platform_create_window(const char* title, int x, int y, int width, int height, bool fullscreen)
{
    if (!step(PlatformStep::create_window))
        return nullptr;
    if (!class_registered || live_window)
        return nullptr;
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (fullscreen)
        flags |= SDL_WINDOW_FULLSCREEN | SDL_WINDOW_BORDERLESS;
    else
        flags |= SDL_WINDOW_RESIZABLE;
    SDL_Window* sdl = SDL_CreateWindow(title ? title : "", x, y, width, height, flags);
    if (!sdl)
        return nullptr;
    if (fullscreen && mode_pending)
        SDL_SetWindowDisplayMode(sdl, &pending_mode);
    // Neither the screen saver nor monitor power saving while the window exists.
    SDL_DisableScreenSaver();
    live_window = new PlatformWindow{sdl, title ? title : "", fullscreen, x, y, width, height, flags, pixel_generation};
    return live_window;
}

bool platform_destroy_window(WindowHandle window)
{
    if (!step(PlatformStep::destroy_window))
        return false;
    if (!window || window != live_window)
        return false;
    SDL_DestroyWindow(window->sdl);
    delete window;
    live_window = nullptr;
    SDL_EnableScreenSaver();
    // Events still queued for it are of no use to the next window.
    clear_queued_messages();
    return true;
}

void platform_show_window(WindowHandle window)
{
    log_call("show_window");
    if (window)
        SDL_ShowWindow(window->sdl);
}

void platform_set_foreground_window(WindowHandle window)
{
    log_call("set_foreground_window");
    if (window)
        SDL_RaiseWindow(window->sdl);
}

void platform_set_focus(WindowHandle window)
{
    log_call("set_focus");
    if (window && !platform_headless())
        SDL_SetWindowInputFocus(window->sdl);
}

DeviceContext platform_get_dc(WindowHandle window)
{
    if (!step(PlatformStep::get_dc))
        return nullptr;
    if (!window || window != live_window || live_dc.window)
        return nullptr;
    live_dc.window = window;
    live_dc.pixel_format = 0;
    return &live_dc;
}

bool platform_release_dc(WindowHandle window, DeviceContext dc)
{
    if (!step(PlatformStep::release_dc))
        return false;
    if (!dc || dc != &live_dc || dc->window != window)
        return false;
    live_dc.window = nullptr;
    live_dc.pixel_format = 0;
    return true;
}

int platform_choose_pixel_format(DeviceContext dc, const PixelFormatRequest* request)
{
    if (!step(PlatformStep::choose_pixel_format))
        return 0;
    if (!dc || !request)
        return 0;
    const unsigned needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if ((request->flags & needed) != needed || request->pixel_type != PFD_TYPE_RGBA)
        return 0;
    return 1;
}

bool platform_set_pixel_format(DeviceContext dc, int format, const PixelFormatRequest* request)
{
    if (!step(PlatformStep::set_pixel_format))
        return false;
    if (!dc || !request || format != 1 || dc->pixel_format != 0)
        return false;
    // The request as SDL GL attributes; sizes are minimums, so a 16-bit
    // request may well get a deeper buffer.
    int red = 5, green = 6, blue = 5;
    if (request->color_bits > 16)
        red = green = blue = 8;
    const SDL_GLattr names[11] = {SDL_GL_RED_SIZE,       SDL_GL_GREEN_SIZE,      SDL_GL_BLUE_SIZE,
                                  SDL_GL_ALPHA_SIZE,     SDL_GL_DEPTH_SIZE,      SDL_GL_STENCIL_SIZE,
                                  SDL_GL_ACCUM_RED_SIZE, SDL_GL_ACCUM_GREEN_SIZE, SDL_GL_ACCUM_BLUE_SIZE,
                                  SDL_GL_ACCUM_ALPHA_SIZE, SDL_GL_DOUBLEBUFFER};
    const int values[11] = {red, green, blue, request->alpha_bits, request->depth_bits, request->stencil_bits,
                            request->accum_bits, request->accum_bits, request->accum_bits, request->accum_bits,
                            (request->flags & PFD_DOUBLEBUFFER) ? 1 : 0};
    bool ok = gl_profile_request();
    for (int i = 0; i < 11; ++i)
        ok = ok && SDL_GL_SetAttribute(names[i], values[i]) == 0;
    if (!ok)
        return false;
    if (!gl_attributes_set || !std::equal(values, values + 11, gl_attributes)) {
        std::copy(values, values + 11, gl_attributes);
        gl_attributes_set = true;
        ++pixel_generation;
    }
    WindowHandle window = dc->window;
    if (window->pixel_generation != pixel_generation) {
        SDL_Window* again = SDL_CreateWindow(window->title.c_str(), window->x, window->y, window->width,
                                             window->height, window->flags);
        if (!again)
            return false;
        if (window->fullscreen && mode_pending)
            SDL_SetWindowDisplayMode(again, &pending_mode);
        SDL_DestroyWindow(window->sdl);
        window->sdl = again;
        window->pixel_generation = pixel_generation;
    }
    dc->pixel_format = format;
    return true;
}

GlContext platform_create_context(DeviceContext dc)
{
    if (!step(PlatformStep::create_context))
        return nullptr;
    if (!dc || !dc->window || dc->pixel_format == 0)
        return nullptr;
    SDL_GLContext sdl = SDL_GL_CreateContext(dc->window->sdl);
    if (!sdl)
        return nullptr;
    // SDL makes a new context current at once; the window code does that
    // as a step of its own.
    SDL_GL_MakeCurrent(dc->window->sdl, nullptr);
    context_current = false;
    return new PlatformGlContext{sdl};
}

bool platform_make_current(DeviceContext dc, GlContext context)
{
    if (!context) {
        if (!step(PlatformStep::release_current))
            return false;
        SDL_GL_MakeCurrent(nullptr, nullptr);
        context_current = false;
        return true;
    }
    if (!step(PlatformStep::make_current))
        return false;
    if (!dc || !dc->window)
        return false;
    if (SDL_GL_MakeCurrent(dc->window->sdl, context->sdl) != 0)
        return false;
    context_current = true;
    single_buffered = gl_profile_single_buffered(gl_attributes_set && gl_attributes[10] == 0);
    return true;
}

bool platform_delete_context(GlContext context)
{
    if (!step(PlatformStep::delete_context))
        return false;
    if (!context)
        return false;
    gl_profile_context_deleted(false); // each window's context stands alone
    SDL_GL_DeleteContext(context->sdl);
    delete context;
    context_current = false;
    return true;
}

bool platform_context_current() { return context_current && SDL_GL_GetCurrentContext() != nullptr; }

void platform_swap_buffers(DeviceContext dc)
{
    if (!dc || !dc->window)
        return;
    gl_profile_finish_drawing();
    SDL_GL_SwapWindow(dc->window->sdl);
    // The offscreen driver draws into a pbuffer, whose swap does nothing:
    // without a wait here the loop would queue frames far ahead of the
    // rasteriser, and a window closed at that moment would wait for all of
    // them. A real swap waits for the frame; so does this.
    if (single_buffered)
        glFinish();
    if (platform_seam && platform_seam->after_swap)
        platform_seam->after_swap();
}

const char* platform_video_driver()
{
    if (!video_started)
        return "";
    const char* name = SDL_GetCurrentVideoDriver();
    return name ? name : "";
}

bool platform_headless()
{
    std::string driver;
    if (video_started) {
        driver = platform_video_driver();
    } else if (const char* wanted = std::getenv("SDL_VIDEODRIVER")) {
        driver = wanted;
    }
    if (driver == "offscreen" || driver == "dummy")
        return true;
    if (!video_started && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        return true;
    return false;
}

void platform_shutdown_video()
{
    // Without its display server there is no mode to put back, and SDL
    // would wait for it forever.
    if (window_state::video_started && !display_lost) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        window_state::video_started = false;
    }
}
