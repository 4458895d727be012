// The window and its OpenGL context on SDL2: the window class (a flag with
// a registry's rules), the display-mode change, the cursor count, the
// window, its device context and pixel format, the rendering context and
// the buffer swap, each step failing on its own.
//
// The display-mode change is virtual: the desktop's mode is never touched
// (nothing to put back after a crash, no other monitor shifted, no 4:3
// mode stretched over a wide panel). A fullscreen window covers its monitor
// at the desktop's mode, the demo draws into a drawable of the size it
// asked for, and each swap presents that drawable scaled to the window with
// its aspect kept. A window whose pixels are the drawable's size (a normal
// window on a 1x desktop) is drawn straight into.
#include "platform/window_system.h"

#include "platform/drawable.h"
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
    GlDrawable drawable; // made while the window's pixels differ from what the demo draws
    bool shares_kept = false; // made in the share group of the kept objects
};

const PlatformSeam* platform_seam = nullptr;

WindowState window_state;

namespace {

PlatformDeviceContext live_dc;
bool context_current = false;
GlContext current_context = nullptr; // drawn with on live_dc's window
// The context that keeps the GL objects over the F1 toggle: made in the
// share group of the window's context just before that one is deleted,
// never current but for making the next window's context beside it, and
// deleted at exit.
SDL_GLContext keeper_context = nullptr;
bool keep_asked = false;
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

// Makes the keeper in the share group of `context`, which is made current
// on its window (still there: the window goes after its context) for that.
void keep_objects_of(PlatformGlContext* context)
{
    if (!live_dc.window || !live_dc.window->sdl)
        return;
    SDL_Window* window = live_dc.window->sdl;
    // SDL unloads the GL driver (and with EGL ends the display, every
    // context on it) when its last GL window goes; the keeper holds it.
    if (SDL_GL_LoadLibrary(nullptr) != 0)
        return;
    if (SDL_GL_MakeCurrent(window, context->sdl) != 0) {
        SDL_GL_UnloadLibrary();
        return;
    }
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
    keeper_context = SDL_GL_CreateContext(window);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    SDL_GL_MakeCurrent(window, nullptr);
    if (keeper_context)
        context->shares_kept = true; // it is in the keeper's share group now
    else
        SDL_GL_UnloadLibrary();
}

} // namespace

bool platform_register_class()
{
    if (!step(PlatformStep::register_class))
        return false;
    if (window_state.class_registered)
        return false;
    if (!window_state.video_started) {
        // Only a termination signal should ask the window to close; the last
        // window going away (the fullscreen toggle) is no reason to quit.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
        // On Wayland, SDL 2.26's libdecor frames crash when a window is
        // made again after another has gone (the F1 toggle); the demo's
        // windows do without client-side frames unless the user asks.
        SDL_SetHint(SDL_HINT_VIDEO_WAYLAND_ALLOW_LIBDECOR, "0");
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
        window_state.video_started = true;
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
    window_state.class_registered = true;
    return true;
}

bool platform_unregister_class()
{
    if (!step(PlatformStep::unregister_class))
        return false;
    if (!window_state.class_registered)
        return false;
    window_state.class_registered = false;
    return true;
}

int platform_change_display_mode(int width, int height, int bits)
{
    (void)bits; // the desktop keeps its own depth; the drawable is 8 bits a channel
    if (!step(PlatformStep::change_display_mode))
        return DISP_CHANGE_BADMODE;
    if (!window_state.video_started || width < 1 || height < 1)
        return DISP_CHANGE_BADMODE;
    // The mode is always the desktop's; what can fail is having a monitor
    // to cover at all (the offscreen and dummy drivers have none).
    const std::string driver = platform_video_driver();
    SDL_DisplayMode desktop{};
    if (driver == "offscreen" || driver == "dummy" || SDL_GetNumVideoDisplays() < 1 ||
        SDL_GetDesktopDisplayMode(0, &desktop) != 0)
        return DISP_CHANGE_BADMODE;
    return DISP_CHANGE_SUCCESSFUL;
}

void platform_restore_display_mode()
{
    // The desktop's mode was never changed: there is nothing to put back.
    log_call("restore_display_mode");
}

int platform_show_cursor(bool show)
{
    log_call(show ? "show_cursor" : "hide_cursor");
    window_state.cursor_count += show ? 1 : -1;
    if (window_state.video_started)
        SDL_ShowCursor(window_state.cursor_count >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return window_state.cursor_count;
}

WindowHandle platform_create_window(const char* title, int x, int y, int width, int height, bool fullscreen)
{
    if (!step(PlatformStep::create_window))
        return nullptr;
    if (!window_state.class_registered || window_state.live_window)
        return nullptr;
    if (width < 1 || height < 1)
        return nullptr;
    // High-DPI windows get a pixel for every device pixel; the presenter
    // scales the drawable to them, so a window is the same physical size
    // on a 1x and a 2x desktop.
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    int sdl_x = x, sdl_y = y, sdl_width = width, sdl_height = height;
    if (fullscreen) {
        // The monitor the window opens on, at its own mode. Made at the
        // monitor's size, not the drawable's: without a window manager SDL
        // would leave the window at the size it was made with.
        SDL_Point at{x, y};
        const int display = SDL_GetPointDisplayIndex(&at);
        SDL_Rect bounds{};
        if (SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds) != 0 || bounds.w < 1 || bounds.h < 1)
            bounds = SDL_Rect{x, y, width, height};
        sdl_x = bounds.x;
        sdl_y = bounds.y;
        sdl_width = bounds.w;
        sdl_height = bounds.h;
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
    } else {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    SDL_Window* sdl = SDL_CreateWindow(title ? title : "", sdl_x, sdl_y, sdl_width, sdl_height, flags);
    if (!sdl)
        return nullptr;
    // Neither the screen saver nor monitor power saving while the window exists.
    SDL_DisableScreenSaver();
    window_state.live_window = new PlatformWindow{sdl,   title ? title : "", fullscreen, width, height, sdl_x, sdl_y,
                                     sdl_width, sdl_height, flags,   pixel_generation};
    return window_state.live_window;
}

bool platform_destroy_window(WindowHandle window)
{
    if (!step(PlatformStep::destroy_window))
        return false;
    if (!window || window != window_state.live_window)
        return false;
    SDL_DestroyWindow(window->sdl);
    // A device context goes with its window, released or not (as on
    // Windows): a failed release must not keep the next window from one.
    if (live_dc.window == window)
        live_dc = PlatformDeviceContext{};
    delete window;
    window_state.live_window = nullptr;
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
    if (!window || window != window_state.live_window || live_dc.window)
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
        SDL_Window* again = SDL_CreateWindow(window->title.c_str(), window->x, window->y, window->sdl_width,
                                             window->sdl_height, window->flags);
        if (!again)
            return false;
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
    // Beside the kept objects where there are any: the keeper is made
    // current on the new window (same pixel format) to share with it.
    bool shares = false;
    SDL_GLContext sdl = nullptr;
    if (keeper_context && SDL_GL_MakeCurrent(dc->window->sdl, keeper_context) == 0) {
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
        sdl = SDL_GL_CreateContext(dc->window->sdl);
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
        shares = sdl != nullptr;
    }
    if (!sdl)
        sdl = SDL_GL_CreateContext(dc->window->sdl);
    if (!sdl) {
        SDL_GL_MakeCurrent(dc->window->sdl, nullptr);
        return nullptr;
    }
    // SDL makes a new context current at once; the window code does that
    // as a step of its own.
    SDL_GL_MakeCurrent(dc->window->sdl, nullptr);
    context_current = false;
    auto* context = new PlatformGlContext;
    context->sdl = sdl;
    context->shares_kept = shares;
    return context;
}

bool platform_make_current(DeviceContext dc, GlContext context)
{
    if (!context) {
        if (!step(PlatformStep::release_current))
            return false;
        // The drawable goes while its context is still current; a context
        // made current again makes it afresh.
        if (current_context && context_current && current_context->drawable.framebuffer)
            drawable_destroy(&current_context->drawable);
        SDL_GL_MakeCurrent(nullptr, nullptr);
        context_current = false;
        current_context = nullptr;
        return true;
    }
    if (!step(PlatformStep::make_current))
        return false;
    if (!dc || !dc->window)
        return false;
    if (SDL_GL_MakeCurrent(dc->window->sdl, context->sdl) != 0)
        return false;
    context_current = true;
    current_context = context;
    single_buffered = gl_profile_single_buffered(gl_attributes_set && gl_attributes[10] == 0);
    presenter_follow_window();
    return true;
}

bool platform_delete_context(GlContext context)
{
    if (!step(PlatformStep::delete_context))
        return false;
    if (!context)
        return false;
    if (keep_asked && !keeper_context)
        keep_objects_of(context);
    keep_asked = false;
    gl_profile_context_deleted(keeper_context && context->shares_kept);
    if (context == current_context) {
        if (context->drawable.framebuffer)
            drawable_destroy(&context->drawable);
        current_context = nullptr;
    }
    SDL_GL_DeleteContext(context->sdl);
    delete context;
    context_current = false;
    return true;
}

void platform_keep_gl_objects() { keep_asked = true; }

bool platform_gl_objects_kept() { return context_current && current_context && current_context->shares_kept; }

bool platform_context_current() { return context_current && SDL_GL_GetCurrentContext() != nullptr; }

void platform_swap_buffers(DeviceContext dc)
{
    if (!dc || !dc->window)
        return;
    gl_profile_finish_drawing();
    const bool presents = current_context && current_context->drawable.framebuffer;
    if (presents) {
        int pixels_w = 0, pixels_h = 0;
        SDL_GL_GetDrawableSize(dc->window->sdl, &pixels_w, &pixels_h);
        drawable_present(&current_context->drawable, pixels_w, pixels_h);
    }
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

void reported_client_size(int* width, int* height)
{
    *width = *height = 0;
    if (!window_state.live_window)
        return;
    if (window_state.live_window->fullscreen) {
        *width = window_state.live_window->width;
        *height = window_state.live_window->height;
        return;
    }
    SDL_GetWindowSize(window_state.live_window->sdl, width, height);
}

void presenter_follow_window()
{
    if (!context_current || !current_context || !live_dc.window || live_dc.window != window_state.live_window)
        return;
    int want_w = 0, want_h = 0, pixels_w = 0, pixels_h = 0;
    reported_client_size(&want_w, &want_h);
    SDL_GL_GetDrawableSize(window_state.live_window->sdl, &pixels_w, &pixels_h);
    if (want_w < 1 || want_h < 1 || pixels_w < 1 || pixels_h < 1)
        return; // minimised: the drawable keeps its size until the window has one again
    GlDrawable& drawable = current_context->drawable;
    if (want_w == pixels_w && want_h == pixels_h) {
        // Drawn straight into the window. Only a drawable of the presenter's
        // own is let go here: the capture tool binds a target of its own.
        if (drawable.framebuffer)
            drawable_destroy(&drawable);
        return;
    }
    if (drawable.framebuffer && drawable.width == want_w && drawable.height == want_h)
        return;
    if (drawable.framebuffer)
        drawable_destroy(&drawable);
    const char* error = nullptr;
    const int depth_bits = gl_attributes_set ? gl_attributes[4] : 16;
    if (!drawable_create(&drawable, want_w, want_h, depth_bits, &error)) {
        // No drawable: the window's own buffers, as wide as they are.
        SDL_Log("elka: drawing without the presenter: %s", error ? error : "");
    }
}

const char* platform_video_driver()
{
    if (!window_state.video_started)
        return "";
    const char* name = SDL_GetCurrentVideoDriver();
    return name ? name : "";
}

bool platform_headless()
{
    std::string driver;
    if (window_state.video_started) {
        driver = platform_video_driver();
    } else if (const char* wanted = std::getenv("SDL_VIDEODRIVER")) {
        driver = wanted;
    }
    if (driver == "offscreen" || driver == "dummy")
        return true;
    if (!window_state.video_started && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        return true;
    return false;
}

void platform_shutdown_video()
{
    // Without its display server there is no mode to put back, and SDL
    // would wait for it forever.
    if (window_state.video_started && !display_lost) {
        if (keeper_context) {
            gl_profile_context_deleted(false);
            SDL_GL_DeleteContext(keeper_context);
            SDL_GL_UnloadLibrary();
            keeper_context = nullptr;
        }
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        window_state.video_started = false;
    }
}
