// Message boxes on the page: a modal HTML dialog (dialog_library.js) whose
// answer the caller waits for, the page going on meanwhile (ASYNCIFY).
// Where the page cannot show one, the face takes the first button, as a
// headless desktop run does.
#include "platform/backend.h"

#include <emscripten.h>

extern "C" int elka_dialog_open(const char* text, const char* caption, unsigned style);

// The open box's answer. elkaDialog comes with elka_dialog_open.
EM_ASYNC_JS(int, elka_dialog_wait, (), { return await elkaDialog.pending; });

extern const BoxLine backend_box_line = BoxLine::never;

int backend_message_box(const char* text, const char* caption, unsigned style)
{
    if (!elka_dialog_open(text, caption, style))
        return 0;
    return elka_dialog_wait();
}
