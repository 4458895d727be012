// SDL's video on the desktop: started by the first window class
// registration, with the hints the demo's windows need; ended at process
// exit (or by a test), the kept GL objects with it; and the X server's
// going away caught, since every call on its dead connection would wait.
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/sdl_window.h"
#include "platform/backend.h"

#include <SDL.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <string>

namespace {

int on_display_lost(Display* display)
{
    sdl_backend.display_lost = true;
    if (sdl_backend.xlib_io_error_handler)
        return sdl_backend.xlib_io_error_handler(display); // says why and ends the process
    std::exit(1);
}

} // namespace

VideoStart backend_video_start(const char** driver_name)
{
    // Only a termination signal should ask the window to close; the last
    // window going away (the fullscreen toggle) is no reason to quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // On Wayland, SDL 2.26's libdecor frames crash when a window is made
    // again after another has gone (the F1 toggle); the demo's windows do
    // without client-side frames unless the user asks.
    SDL_SetHint(SDL_HINT_VIDEO_WAYLAND_ALLOW_LIBDECOR, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return VideoStart::none;
    // With no display server SDL falls back to a driver that shows nothing,
    // and the demo would play unseen: such a driver is taken only when it
    // is asked for by name (tests, the capture tool).
    const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    const char* wanted = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if ((!wanted || !*wanted) && (driver == "offscreen" || driver == "dummy")) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return VideoStart::none;
    }
    if (driver == "x11" && !sdl_backend.xlib_io_error_handler)
        sdl_backend.xlib_io_error_handler = XSetIOErrorHandler(on_display_lost);
    *driver_name = SDL_GetCurrentVideoDriver();
    // The offscreen and dummy drivers have no monitor to cover.
    SDL_DisplayMode desktop{};
    const bool monitor = driver != "offscreen" && driver != "dummy" && SDL_GetNumVideoDisplays() >= 1
                         && SDL_GetDesktopDisplayMode(0, &desktop) == 0;
    return monitor ? VideoStart::monitor : VideoStart::no_monitor;
}

bool sdl_headless()
{
    std::string driver;
    if (window_state.video_started) {
        driver = window_state.video_driver;
    } else if (const char* wanted = std::getenv("SDL_VIDEODRIVER")) {
        driver = wanted;
    }
    if (driver == "offscreen" || driver == "dummy")
        return true;
    if (!window_state.video_started && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        return true;
    return false;
}

bool backend_video_stop()
{
    // Without its display server there is no mode to put back, and SDL
    // would wait for it forever.
    if (sdl_backend.display_lost)
        return false;
    sdl_delete_keeper();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return true;
}
