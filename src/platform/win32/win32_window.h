// The Win32 backend's part of a window, shared by its video, window,
// context, event and message-box units.
#pragma once

#include "platform/win32/win32.h"

#include "platform/window_internal.h"

struct BackendWindow {
    HWND hwnd = nullptr;
    HDC dc = nullptr;  // the class's own device context (CS_OWNDC), for the window's life
    bool fullscreen = false;
};

inline HWND win32_window(WindowHandle window) { return window && window->backend ? window->backend->hwnd : nullptr; }

// The demo's window class, registered when video starts.
constexpr const char* win32_class_name = "eLka";
LRESULT CALLBACK win32_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// Dots per inch of the window's monitor (96 where Windows cannot say).
unsigned win32_window_dpi(HWND hwnd);

// Whether the cursor shows over the window (the rules' count, video_win32.cpp).
bool win32_cursor_shown();

// Deletes the context that keeps the GL objects over the F1 toggle, where
// there is one (video ends).
void win32_delete_keeper();
