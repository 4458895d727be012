// Win32's video: the demo's window class, registered when the first window
// class is asked for and kept until video ends; the monitors; the cursor.
#include "platform/win32/win32_window.h"

#include "platform/win32/win32_backend.h"
#include "platform/backend.h"

VideoStart backend_video_start(const char** driver)
{
    if (!win32_backend.class_registered) {
        WNDCLASSEXA window_class{};
        window_class.cbSize = sizeof window_class;
        // Its own device context, which keeps the pixel format for the
        // window's life; redrawn whole on every size change.
        window_class.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
        window_class.lpfnWndProc = win32_window_proc;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.hIcon = LoadIconA(window_class.hInstance, MAKEINTRESOURCEA(2));
        window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        window_class.lpszClassName = win32_class_name;
        if (!RegisterClassExA(&window_class))
            return VideoStart::none;
        win32_backend.class_registered = true;
    }
    *driver = "win32";
    return GetSystemMetrics(SM_CMONITORS) >= 1 ? VideoStart::monitor : VideoStart::no_monitor;
}

bool win32_cursor_shown() { return win32_backend.cursor_shown; }

bool backend_video_stop()
{
    win32_delete_keeper();
    if (win32_backend.class_registered && UnregisterClassA(win32_class_name, GetModuleHandleA(nullptr)))
        win32_backend.class_registered = false;
    return true;
}
