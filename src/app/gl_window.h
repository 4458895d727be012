// The one top-level window and its OpenGL rendering context: opening and
// closing them step by step, the window procedure that keeps the shared
// flags, and the viewport with its perspective projection.
#pragma once

#include "platform/window_system.h"

#include <cstdint>

extern const void* app_instance;
extern WindowHandle main_window;
extern DeviceContext window_dc;
extern GlContext gl_context;
extern bool fullscreen;
extern bool window_active;
extern bool key_down[256];
extern PixelFormatRequest pixel_format_request;

bool open_window(const char* title, int width, int height, int color_bits, bool fullscreen_flag);
void close_window();
long window_proc(WindowHandle window, unsigned message, std::uintptr_t wparam, std::intptr_t lparam);
void resize_viewport(int width, int height);
