// The window system on SDL2: one top-level window with an OpenGL context,
// the display-mode change, the cursor count and SDL events turned into the
// window messages that the window procedure handles.
#include "platform/window_system.h"

#include <GL/gl.h>
#include <SDL.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

struct PlatformWindow {
    SDL_Window* sdl = nullptr;
    std::string title;
    bool fullscreen = false;
    int x = 0, y = 0, width = 0, height = 0;
    Uint32 flags = 0;
    unsigned pixel_generation = 0; // the GL attributes it was made with
};

struct PlatformDeviceContext {
    WindowHandle window = nullptr;
    int pixel_format = 0;
};

struct PlatformGlContext {
    SDL_GLContext sdl = nullptr;
};

namespace {

bool class_registered = false;
bool video_started = false;
int cursor_count = 0;
bool mode_pending = false;
SDL_DisplayMode pending_mode{};
WindowHandle live_window = nullptr;
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
std::deque<Message> queue;
bool quit_posted = false;
int quit_code = 0;
bool failing[static_cast<int>(PlatformStep::count)] = {};
std::vector<const char*> call_log;

// Calls that cannot fail are logged too, so the order of a whole open or
// close can be read back.
void log_call(const char* name) { call_log.push_back(name); }

bool step(PlatformStep which)
{
    call_log.push_back(platform_step_name(which));
    bool& fail = failing[static_cast<int>(which)];
    if (fail) {
        fail = false;
        return false;
    }
    return true;
}

int virtual_key(const SDL_Keysym& key)
{
    SDL_Keycode sym = key.sym;
    if (sym >= SDLK_a && sym <= SDLK_z)
        return 'A' + (sym - SDLK_a);
    if (sym >= SDLK_0 && sym <= SDLK_9)
        return '0' + (sym - SDLK_0);
    if (sym >= SDLK_F1 && sym <= SDLK_F12)
        return VK_F1 + (sym - SDLK_F1);
    if (sym >= SDLK_F13 && sym <= SDLK_F24)
        return VK_F1 + 12 + (sym - SDLK_F13);
    if (sym >= SDLK_KP_1 && sym <= SDLK_KP_9)
        return 0x61 + (sym - SDLK_KP_1);
    switch (sym) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_KP_0: return 0x60;
    default: return 0;
    }
}

bool minimised(SDL_Window* window)
{
    return (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) != 0;
}

void push_activate(unsigned state, bool is_minimised)
{
    Message m;
    m.message = WM_ACTIVATE;
    m.wparam = state | (static_cast<std::uintptr_t>(is_minimised ? 1 : 0) << 16);
    queue.push_back(m);
}

void push_size(int width, int height)
{
    Message m;
    m.message = WM_SIZE;
    m.lparam = make_size_lparam(width, height);
    queue.push_back(m);
}

// Turns one SDL event into the messages the window would have received.
void translate(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT: {
        // A termination signal: ask the window to close, as the system menu would.
        Message m;
        m.message = WM_CLOSE;
        queue.push_back(m);
        break;
    }
    case SDL_WINDOWEVENT: {
        if (!live_window || event.window.windowID != SDL_GetWindowID(live_window->sdl))
            break; // a window that no longer exists
        SDL_Window* w = live_window->sdl;
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE: {
            Message m;
            m.message = WM_CLOSE;
            queue.push_back(m);
            break;
        }
        case SDL_WINDOWEVENT_MINIMIZED:
            push_activate(WA_INACTIVE, true);
            push_size(0, 0);
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED: {
            push_activate(WA_ACTIVE, false);
            int width = 0, height = 0;
            SDL_GetWindowSize(w, &width, &height);
            push_size(width, height);
            break;
        }
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            push_activate(WA_ACTIVE, minimised(w));
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            push_activate(WA_INACTIVE, minimised(w));
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            push_size(event.window.data1, event.window.data2);
            break;
        default:
            break;
        }
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        int vk = virtual_key(event.key.keysym);
        if (vk == 0)
            break;
        bool system = (event.key.keysym.mod & KMOD_ALT) != 0 || vk == VK_F10 || vk == VK_MENU;
        Message m;
        if (event.type == SDL_KEYDOWN)
            m.message = system ? WM_SYSKEYDOWN : WM_KEYDOWN;
        else
            m.message = system ? WM_SYSKEYUP : WM_KEYUP;
        m.wparam = static_cast<std::uintptr_t>(vk);
        queue.push_back(m);
        break;
    }
    default:
        break;
    }
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

} // namespace

const char* platform_step_name(PlatformStep which)
{
    switch (which) {
    case PlatformStep::register_class: return "register_class";
    case PlatformStep::unregister_class: return "unregister_class";
    case PlatformStep::change_display_mode: return "change_display_mode";
    case PlatformStep::create_window: return "create_window";
    case PlatformStep::destroy_window: return "destroy_window";
    case PlatformStep::get_dc: return "get_dc";
    case PlatformStep::release_dc: return "release_dc";
    case PlatformStep::choose_pixel_format: return "choose_pixel_format";
    case PlatformStep::set_pixel_format: return "set_pixel_format";
    case PlatformStep::create_context: return "create_context";
    case PlatformStep::make_current: return "make_current";
    case PlatformStep::release_current: return "release_current";
    case PlatformStep::delete_context: return "delete_context";
    case PlatformStep::count: break;
    }
    return "?";
}

void platform_inject_failure(PlatformStep which) { failing[static_cast<int>(which)] = true; }

void platform_clear_injected_failures()
{
    for (bool& f : failing)
        f = false;
}

int platform_call_log_size() { return static_cast<int>(call_log.size()); }

const char* platform_call_log_entry(int index)
{
    if (index < 0 || index >= static_cast<int>(call_log.size()))
        return "";
    return call_log[static_cast<std::size_t>(index)];
}

void platform_clear_call_log() { call_log.clear(); }

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
            std::atexit(platform_shutdown);
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

bool platform_class_registered() { return class_registered; }

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
    queue.clear();
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

int platform_cursor_count() { return cursor_count; }

bool platform_window_is_fullscreen(WindowHandle window)
{
    return window && (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_FULLSCREEN) != 0;
}

unsigned platform_window_id(WindowHandle window) { return window ? SDL_GetWindowID(window->sdl) : 0; }

const char* platform_window_title(WindowHandle window) { return window ? window->title.c_str() : ""; }

void platform_window_size(WindowHandle window, int* width, int* height)
{
    *width = 0;
    *height = 0;
    if (window)
        SDL_GetWindowSize(window->sdl, width, height);
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
    bool ok = true;
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
    GLboolean doubled = GL_TRUE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubled);
    single_buffered = doubled == GL_FALSE;
    return true;
}

bool platform_delete_context(GlContext context)
{
    if (!step(PlatformStep::delete_context))
        return false;
    if (!context)
        return false;
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
    SDL_GL_SwapWindow(dc->window->sdl);
    // The offscreen driver draws into a pbuffer, whose swap does nothing:
    // without a wait here the loop would queue frames far ahead of the
    // rasteriser, and a window closed at that moment would wait for all of
    // them. A real swap waits for the frame; so does this.
    if (single_buffered)
        glFinish();
}

bool platform_peek_message(Message* message)
{
    if (queue.empty() && video_started) {
        SDL_Event event;
        while (queue.empty() && SDL_PollEvent(&event))
            translate(event);
    }
    if (!queue.empty()) {
        *message = queue.front();
        queue.pop_front();
        return true;
    }
    // The quit message comes once nothing else waits, as it does on Windows.
    if (quit_posted) {
        quit_posted = false;
        message->message = WM_QUIT;
        message->wparam = static_cast<std::uintptr_t>(quit_code);
        message->lparam = 0;
        return true;
    }
    return false;
}

void platform_post_quit_message(int exit_code)
{
    quit_posted = true;
    quit_code = exit_code;
}

void platform_post_message(const Message& message) { queue.push_back(message); }

long platform_default_window_proc(const Message& message)
{
    constexpr std::uintptr_t VK_F4 = 0x73;
    if (message.message == WM_SYSKEYDOWN && message.wparam == VK_F4) {
        Message close;
        close.message = WM_CLOSE;
        queue.push_back(close);
    }
    return 0;
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

void platform_shutdown()
{
    // Without its display server there is no mode to put back, and SDL
    // would wait for it forever.
    if (video_started && !display_lost) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        video_started = false;
    }
}
