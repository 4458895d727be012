// The window procedure: Windows' own messages to the demo's window, put in
// the queue (message_queue.cpp) the frame loop takes them from, one at a
// time. Activate, close, keys and size arrive as the demo knows them; the
// system commands that would stop the loop (the screen saver, monitor
// power saving, the Alt or F10 menu) are refused here, since the frame loop
// answers its messages only after the procedure has returned.
#include "platform/win32/win32_window.h"

#include "platform/message_queue.h"

namespace {

bool is_live(HWND hwnd) { return win32_window(window_state.live_window) == hwnd; }

// The window has a size (again): the presenter follows it, and the window
// is told it in the desktop's logical units; a fullscreen window reports
// the size the demo draws at, whatever its monitor's.
void resized(WPARAM kind)
{
    if (kind == SIZE_MINIMIZED) {
        queue_message(WM_SIZE, kind, make_size_lparam(0, 0));
        return;
    }
    int width = 0, height = 0;
    reported_client_size(&width, &height);
    presenter_follow_window();
    queue_message(WM_SIZE, kind, make_size_lparam(width, height));
}

} // namespace

LRESULT CALLBACK win32_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    // Messages of a window being made, or of one already given up.
    if (!is_live(hwnd))
        return DefWindowProcA(hwnd, message, wparam, lparam);
    switch (message) {
    case WM_CLOSE:
    case WM_ACTIVATE:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        queue_message(message, wparam, lparam);
        return 0;
    case WM_SIZE:
        resized(wparam);
        return 0;
    case WM_SYSCOMMAND:
        switch (wparam & 0xFFF0) {
        case SC_SCREENSAVE:
        case SC_MONITORPOWER:
        case SC_KEYMENU:
            return 0;
        default:
            return DefWindowProcA(hwnd, message, wparam, lparam);
        }
    case WM_SETCURSOR:
        if (LOWORD(lparam) == HTCLIENT) {
            SetCursor(win32_cursor_shown() ? LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)) : nullptr);
            return TRUE;
        }
        break;
    case WM_ERASEBKGND:
        return 1; // every frame covers the window
    case WM_PAINT:
        ValidateRect(hwnd, nullptr);
        return 0;
    case WM_DPICHANGED: {
        // A window dragged to a monitor of another scale keeps its
        // physical size: Windows' suggested rectangle.
        if (!window_state.live_window->fullscreen) {
            const RECT* at = reinterpret_cast<const RECT*>(lparam);
            SetWindowPos(hwnd, nullptr, at->left, at->top, at->right - at->left, at->bottom - at->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

bool backend_next_message(Message* message)
{
    // The queue first; when it is empty, what Windows has, one message at
    // a time through the window procedure.
    MSG msg;
    while (!message_waiting() && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) // the frame loop's quit is the queue's own
            continue;
        DispatchMessageA(&msg);
    }
    return take_queued_message(message);
}
