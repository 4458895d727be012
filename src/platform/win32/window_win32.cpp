// The demo's windows on Win32. The display-mode change is virtual, as on
// the other systems: ChangeDisplaySettings is never called (nothing to put
// back after a crash, no other monitor shifted, no 4:3 mode stretched over
// a wide panel). A fullscreen window is a borderless popup over the
// monitor it opens on, at the desktop's own mode; the presenter shows the
// drawable the demo draws in, scaled with its aspect kept. A normal
// window's client area is the asked size in the desktop's logical units
// (96 to the inch), so it has the same physical size on a 150 % display.
#include "platform/win32/win32_window.h"

#include "platform/backend.h"
#include "platform/win32/win32_backend.h"

namespace {

// Windows 10's per-monitor DPI calls, where the system has them.
using DpiForWindow = UINT(WINAPI*)(HWND);
using AdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

template <typename T> T user32_call(const char* name)
{
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

// The DPI of a window not made yet: that of the primary monitor's desktop,
// which a new window gets until it moves.
unsigned desktop_dpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<unsigned>(dpi) : 96u;
}

int scaled(int logical, unsigned dpi) { return MulDiv(logical, static_cast<int>(dpi), 96); }

void client_size(HWND hwnd, int* width, int* height)
{
    RECT client{};
    GetClientRect(hwnd, &client);
    *width = client.right - client.left;
    *height = client.bottom - client.top;
}

} // namespace

unsigned win32_window_dpi(HWND hwnd)
{
    static const DpiForWindow dpi_for_window = user32_call<DpiForWindow>("GetDpiForWindow");
    const UINT dpi = hwnd && dpi_for_window ? dpi_for_window(hwnd) : 0;
    return dpi ? dpi : desktop_dpi();
}

BackendWindow* backend_window_open(const char* title, int x, int y, int width, int height, bool fullscreen)
{
    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    DWORD ex_style = WS_EX_APPWINDOW;
    RECT at{x, y, x + width, y + height};
    if (fullscreen) {
        // The monitor the window opens on, whole.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (!GetMonitorInfoA(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTOPRIMARY), &monitor))
            return nullptr;
        at = monitor.rcMonitor;
        style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    } else {
        const unsigned dpi = desktop_dpi();
        at = RECT{x, y, x + scaled(width, dpi), y + scaled(height, dpi)};
        static const AdjustForDpi adjust_for_dpi = user32_call<AdjustForDpi>("AdjustWindowRectExForDpi");
        if (!(adjust_for_dpi && adjust_for_dpi(&at, style, FALSE, ex_style, dpi)))
            AdjustWindowRectEx(&at, style, FALSE, ex_style);
        // The frame's corner where the window was asked for, as Windows
        // places a window: its title bar stays on the screen.
        OffsetRect(&at, x - at.left, y - at.top);
    }
    HWND hwnd = CreateWindowExA(ex_style, win32_class_name, title, style, at.left, at.top, at.right - at.left,
                                at.bottom - at.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!hwnd)
        return nullptr;
    HDC dc = GetDC(hwnd);
    if (!dc) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    // Neither the screen saver nor monitor power saving while the window
    // exists (the window procedure also refuses both).
    SetThreadExecutionState(ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED);
    return new BackendWindow{hwnd, dc, fullscreen};
}

void backend_window_step(BackendWindow* window, WindowStep step)
{
    switch (step) {
    case WindowStep::show:
        ShowWindow(window->hwnd, SW_SHOW);
        UpdateWindow(window->hwnd);
        break;
    case WindowStep::raise: SetForegroundWindow(window->hwnd); break;
    case WindowStep::focus: SetFocus(window->hwnd); break;
    case WindowStep::show_cursor:
    case WindowStep::hide_cursor:
        // The window procedure sets the arrow or no cursor over the window
        // as this says.
        win32_backend.cursor_shown = step == WindowStep::show_cursor;
        SetCursor(win32_backend.cursor_shown ? LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)) : nullptr);
        break;
    case WindowStep::close:
        ReleaseDC(window->hwnd, window->dc);
        DestroyWindow(window->hwnd);
        delete window;
        SetThreadExecutionState(ES_CONTINUOUS);
        break;
    }
}

// The client area in pixels, and in the desktop's logical units at its DPI.
WindowSize backend_window_size(const PlatformWindow& window)
{
    WindowSize size;
    client_size(window.backend->hwnd, &size.pixels_width, &size.pixels_height);
    const int dpi = static_cast<int>(win32_window_dpi(window.backend->hwnd));
    size.width = MulDiv(size.pixels_width, 96, dpi);
    size.height = MulDiv(size.pixels_height, 96, dpi);
    return size;
}
