// The window and its OpenGL context on SDL2, as the window rules
// (window_rules.cpp) ask for them: the window, its pixel format, the
// rendering context, the keeper of the GL objects and the buffer swap.
// Starting and ending SDL's video is video.cpp's.
//
// The display-mode change is virtual: the desktop's mode is never touched
// (nothing to put back after a crash, no other monitor shifted, no 4:3
// mode stretched over a wide panel). A fullscreen window covers its monitor
// at the desktop's mode, the demo draws into a drawable of the size it
// asked for, and each swap presents that drawable scaled to the window with
// its aspect kept. A window whose pixels are the drawable's size (a normal
// window on a 1x desktop) is drawn straight into.
#include "platform/backend.h"

#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/sdl_window.h"

#include <SDL.h>

#include <algorithm>
#include <string>

struct BackendContext {
    SDL_GLContext sdl = nullptr;
};

BackendWindow* backend_window_open(const char* title, int x, int y, int width, int height, bool fullscreen)
{
    // High-DPI windows get a pixel for every device pixel; the presenter
    // scales the drawable to them, so a window is the same physical size
    // on a 1x and a 2x desktop.
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    SDL_Rect at{x, y, width, height};
    if (fullscreen) {
        // The monitor the window opens on, at its own mode. Made at the
        // monitor's size, not the drawable's: without a window manager SDL
        // would leave the window at the size it was made with.
        SDL_Point point{x, y};
        const int display = SDL_GetPointDisplayIndex(&point);
        SDL_Rect bounds{};
        if (SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds) == 0 && bounds.w >= 1 && bounds.h >= 1)
            at = bounds;
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
    } else {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    SDL_Window* sdl = SDL_CreateWindow(title, at.x, at.y, at.w, at.h, flags);
    if (!sdl)
        return nullptr;
    // Neither the screen saver nor monitor power saving while the window exists.
    SDL_DisableScreenSaver();
    return new BackendWindow{sdl, at.x, at.y, at.w, at.h, flags, sdl_backend.pixel_generation};
}

void backend_window_step(BackendWindow* window, WindowStep step)
{
    switch (step) {
    case WindowStep::show: SDL_ShowWindow(window->sdl); break;
    case WindowStep::raise: SDL_RaiseWindow(window->sdl); break;
    case WindowStep::focus:
        if (!sdl_headless())
            SDL_SetWindowInputFocus(window->sdl);
        break;
    case WindowStep::show_cursor: SDL_ShowCursor(SDL_ENABLE); break;
    case WindowStep::hide_cursor: SDL_ShowCursor(SDL_DISABLE); break;
    case WindowStep::close:
        SDL_DestroyWindow(window->sdl);
        delete window;
        SDL_EnableScreenSaver();
        break;
    }
}

WindowSize backend_window_size(const PlatformWindow& window)
{
    WindowSize size;
    SDL_GetWindowSize(window.backend->sdl, &size.width, &size.height);
    SDL_GL_GetDrawableSize(window.backend->sdl, &size.pixels_width, &size.pixels_height);
    return size;
}

bool backend_pixel_format_set(PlatformWindow& window, const PixelFormatRequest& request, bool* buffers_complete)
{
    *buffers_complete = true; // SDL makes the window again until it has what was asked
    // The request as SDL GL attributes; sizes are minimums, so a 16-bit
    // request may well get a deeper buffer.
    const bool deep = request.color_bits > 16;
    const SDL_GLattr names[11]
        = {SDL_GL_RED_SIZE,        SDL_GL_GREEN_SIZE,       SDL_GL_BLUE_SIZE,      SDL_GL_ALPHA_SIZE,
           SDL_GL_DEPTH_SIZE,      SDL_GL_STENCIL_SIZE,     SDL_GL_ACCUM_RED_SIZE, SDL_GL_ACCUM_GREEN_SIZE,
           SDL_GL_ACCUM_BLUE_SIZE, SDL_GL_ACCUM_ALPHA_SIZE, SDL_GL_DOUBLEBUFFER};
    const int values[11] = {deep ? 8 : 5,
                            deep ? 8 : 6,
                            deep ? 8 : 5,
                            request.alpha_bits,
                            request.depth_bits,
                            request.stencil_bits,
                            request.accum_bits,
                            request.accum_bits,
                            request.accum_bits,
                            request.accum_bits,
                            (request.flags & PFD_DOUBLEBUFFER) ? 1 : 0};
    bool ok = sdl_gl_profile_request();
    for (int i = 0; i < 11; ++i)
        ok = ok && SDL_GL_SetAttribute(names[i], values[i]) == 0;
    if (!ok)
        return false;
    if (!sdl_backend.gl_attributes_set || !std::equal(values, values + 11, sdl_backend.gl_attributes)) {
        std::copy(values, values + 11, sdl_backend.gl_attributes);
        sdl_backend.gl_attributes_set = true;
        ++sdl_backend.pixel_generation;
    }
    BackendWindow& made = *window.backend;
    if (made.pixel_generation != sdl_backend.pixel_generation) {
        SDL_Window* again
            = SDL_CreateWindow(window.title.c_str(), made.x, made.y, made.sdl_width, made.sdl_height, made.flags);
        if (!again)
            return false;
        SDL_DestroyWindow(made.sdl);
        made.sdl = again;
        made.pixel_generation = sdl_backend.pixel_generation;
    }
    return true;
}

void backend_frame_finished(int, int) { }

// A window shows every frame: the next one is kept too.
bool backend_swap(PlatformWindow& window)
{
    SDL_GL_SwapWindow(window.backend->sdl);
    return true;
}

BackendContext* backend_context_create(PlatformWindow& window, bool* shares_kept)
{
    SDL_Window* sdl_win = window.backend->sdl;
    // Beside the kept objects where there are any: the keeper is made
    // current on the new window (same pixel format) to share with it.
    SDL_GLContext sdl = nullptr;
    if (sdl_backend.keeper_context && SDL_GL_MakeCurrent(sdl_win, sdl_backend.keeper_context) == 0) {
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
        sdl = SDL_GL_CreateContext(sdl_win);
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
        *shares_kept = sdl != nullptr;
    }
    if (!sdl)
        sdl = SDL_GL_CreateContext(sdl_win);
    // SDL makes a new context current at once; the rules do that as a step
    // of its own.
    SDL_GL_MakeCurrent(sdl_win, nullptr);
    return sdl ? new BackendContext{sdl} : nullptr;
}

bool backend_make_current(PlatformWindow* window, BackendContext* context, bool* single_buffered)
{
    if (!context)
        return SDL_GL_MakeCurrent(nullptr, nullptr) == 0;
    if (SDL_GL_MakeCurrent(window->backend->sdl, context->sdl) != 0)
        return false;
    *single_buffered = sdl_single_buffered(*single_buffered);
    // A swap waits for the display: adaptively where the driver can (a late
    // frame is shown at once rather than a whole refresh later), else for
    // every refresh. A driver that refuses both swaps at once; the scenes
    // are timed by the frame deltas, so they keep their pace either way.
    if (SDL_GL_SetSwapInterval(-1) != 0)
        SDL_GL_SetSwapInterval(1);
    return true;
}

namespace {

bool keep_objects(PlatformWindow& window, BackendContext* context)
{
    SDL_Window* sdl_win = window.backend->sdl;
    // SDL unloads the GL driver (and with EGL ends the display, every
    // context on it) when its last GL window goes; the keeper holds it.
    if (!sdl_win || SDL_GL_LoadLibrary(nullptr) != 0)
        return false;
    if (SDL_GL_MakeCurrent(sdl_win, context->sdl) != 0) {
        SDL_GL_UnloadLibrary();
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
    sdl_backend.keeper_context = SDL_GL_CreateContext(sdl_win);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    SDL_GL_MakeCurrent(sdl_win, nullptr);
    if (!sdl_backend.keeper_context)
        SDL_GL_UnloadLibrary();
    return sdl_backend.keeper_context != nullptr;
}

} // namespace

bool backend_context_delete(BackendContext* context, PlatformWindow* keep_on)
{
    const bool kept = keep_on && keep_objects(*keep_on, context);
    SDL_GL_DeleteContext(context->sdl);
    delete context;
    return kept;
}

void sdl_delete_keeper()
{
    if (!sdl_backend.keeper_context)
        return;
    SDL_GL_DeleteContext(sdl_backend.keeper_context);
    SDL_GL_UnloadLibrary();
    sdl_backend.keeper_context = nullptr;
}
