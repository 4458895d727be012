// Message boxes on Win32, owned by the demo's window while one exists. Each
// box is also one line "CAPTION: TEXT" on standard error, where there is
// one (a console, or a test reading the program's output).
#include "platform/win32/win32_window.h"

#include "platform/backend.h"

extern const BoxLine backend_box_line = BoxLine::always;

int backend_message_box(const char* text, const char* caption, unsigned style)
{
    return MessageBoxA(win32_window(window_state.live_window), text, caption, style | MB_SETFOREGROUND);
}
