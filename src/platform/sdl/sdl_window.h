// The SDL backend's part of a window, shared by its window, event and
// message-box units and the testing seam.
#pragma once

#include "platform/window_internal.h"

struct SDL_Window;

struct BackendWindow {
    SDL_Window* sdl = nullptr;
    int x = 0, y = 0, sdl_width = 0, sdl_height = 0; // where SDL made it (a fullscreen one covers its monitor)
    unsigned flags = 0;                              // SDL window flags it was made with
    unsigned pixel_generation = 0;                   // the GL attributes it was made with
};

inline SDL_Window* sdl_window(WindowHandle window) { return window ? window->backend->sdl : nullptr; }

// Asks SDL for the build's kind of GL context (gl_profile.cpp); false if
// it refuses.
bool sdl_gl_profile_request();
// Whether the current context draws straight to the front buffer; where
// the window system cannot say, whether a single buffer was asked for.
bool sdl_single_buffered(bool asked_single);
// True when no box can be shown and no window takes the keyboard: no
// display server, or the offscreen or dummy driver.
bool sdl_headless();

// Deletes the context that keeps the GL objects over the F1 toggle, where
// there is one (video ends).
void sdl_delete_keeper();
