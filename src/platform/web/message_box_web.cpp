// Message boxes on the page: a modal HTML dialog (dialog_library.js) whose
// answer the caller waits for, the page going on meanwhile (ASYNCIFY).
// Where the page cannot show one, the first button is taken, as a
// headless desktop run does.
#include "platform/message_box.h"

#include "platform/messages.h"

#include <emscripten.h>

extern "C" int elka_dialog_open(const char* text, const char* caption, unsigned style);

// The open box's answer. elkaDialog comes with elka_dialog_open.
EM_ASYNC_JS(int, elka_dialog_wait, (), { return await elkaDialog.pending; });

namespace {
int first_button(unsigned style) { return (style & 0x0F) == MB_YESNO ? IDYES : IDOK; }
} // namespace

int platform_message_box(const char* text, const char* caption, unsigned style)
{
    if (!elka_dialog_open(text ? text : "", caption ? caption : "", style))
        return first_button(style);
    int answer = elka_dialog_wait();
    if (answer == IDOK || answer == IDYES || answer == IDNO)
        return answer;
    return first_button(style);
}
