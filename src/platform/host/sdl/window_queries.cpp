// The window as SDL has it, for the tests that look at it.
#include "platform/host.h"
#include "platform/sdl/sdl_window.h"

#include <SDL.h>

const char* platform_window_title(WindowHandle window) { return window ? SDL_GetWindowTitle(sdl_window(window)) : ""; }

void platform_window_size(WindowHandle window, int* width, int* height)
{
    *width = 0;
    *height = 0;
    if (window)
        SDL_GetWindowSize(sdl_window(window), width, height);
}

bool platform_window_is_fullscreen(WindowHandle window)
{
    return window && (SDL_GetWindowFlags(sdl_window(window)) & SDL_WINDOW_FULLSCREEN) != 0;
}

unsigned platform_window_id(WindowHandle window) { return window ? SDL_GetWindowID(sdl_window(window)) : 0; }
