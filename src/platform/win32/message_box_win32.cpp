// Message boxes on Win32, owned by the demo's window while one exists. Each
// box is also one line "CAPTION: TEXT" on standard error, where there is
// one (a console, or a test reading the program's output).
#include "platform/win32/win32_window.h"

#include "platform/message_box.h"

#include <cstdio>

int platform_message_box(const char* text, const char* caption, unsigned style)
{
    int answer = 0;
    if (platform_seam && platform_seam->message_box && platform_seam->message_box(text, caption, style, &answer))
        return answer;
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    std::fflush(stderr);
    const int pressed = MessageBoxA(win32_window(window_state.live_window), text ? text : "", caption ? caption : "",
                                    style | MB_SETFOREGROUND);
    if (pressed == IDYES || pressed == IDNO || pressed == IDOK)
        return pressed;
    // No box could be shown: the first button.
    return (style & 0x0F) == MB_YESNO ? IDYES : IDOK;
}
