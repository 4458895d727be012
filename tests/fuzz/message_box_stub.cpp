// The fuzz build's message box: no SDL, no display; it counts the boxes
// and answers OK.
#include "platform/message_box.h"
#include "platform/messages.h"

int fuzz_message_boxes = 0;

int platform_message_box(const char*, const char*, unsigned)
{
    ++fuzz_message_boxes;
    return IDOK;
}
