// The one top-level window and its OpenGL rendering context: opening and
// closing them step by step, the window procedure that keeps the shared
// flags, and the viewport with its perspective projection.
#pragma once

#include "app/player.h"
#include "platform/window_system.h"

#include <cstdint>

// The window's and the player's state, in one place, so that a new run is
// one assignment of AppState{}.
struct AppState {
    const void* app_instance = nullptr;
    WindowHandle main_window = nullptr;
    DeviceContext window_dc = nullptr;
    GlContext gl_context = nullptr;
    bool fullscreen = true;
    bool window_active = true;
    bool key_down[256] = {};
    // Filled by the first open_window of a run and kept: every program asks
    // for the same 16 bits.
    PixelFormatRequest pixel_format_request;
    bool pixel_format_filled = false;
    // Pause, seek and the states kept for seeking.
    PlayerState player;
};

extern AppState app;

bool open_window(const char* title, int width, int height, int color_bits, bool fullscreen_flag);
void close_window();
long window_proc(WindowHandle window, unsigned message, std::uintptr_t wparam, std::intptr_t lparam);
void resize_viewport(int width, int height);
