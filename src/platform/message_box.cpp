// Modal message boxes, the same on every backend: the testing seam answers
// first where one is linked; a box that cannot be shown, or is left
// without an answer, takes its first button; and where the backend says so
// the box is also one line "CAPTION: TEXT" on standard error. Showing the
// box is the backend's (backend.h).
#include "platform/message_box.h"

#include "platform/backend.h"
#include "platform/messages.h"

#include <cstdio>

namespace {

int first_button(unsigned style) { return (style & 0x0F) == MB_YESNO ? IDYES : IDOK; }

void write_line(const char* text, const char* caption)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
}

} // namespace

int platform_message_box(const char* text, const char* caption, unsigned style)
{
    int answer = 0;
    if (platform_seam && platform_seam->message_box && platform_seam->message_box(text, caption, style, &answer))
        return answer;
    text = text ? text : "";
    caption = caption ? caption : "";
    const BoxLine line = backend_box_line;
    if (line == BoxLine::always)
        write_line(text, caption);
    answer = backend_message_box(text, caption, style);
    if (answer == IDOK || answer == IDYES || answer == IDNO)
        return answer;
    if (line == BoxLine::instead)
        write_line(text, caption);
    return first_button(style);
}
