// Test support for the window, its messages and the frame loop.
#include "support/window_test_support.h"

#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/window_system.h"

LoggedBoxes::LoggedBoxes(int answer) : question_answer(answer)
{
    platform_set_message_box_hook([this](const char* text, const char* caption, unsigned style) {
        boxes.push_back({text ? text : "", caption ? caption : "", style, platform_call_log_size()});
        return (style & 0x0F) == MB_YESNO ? question_answer : IDOK;
    });
}

LoggedBoxes::~LoggedBoxes() { platform_set_message_box_hook(nullptr); }

std::vector<std::string> LoggedBoxes::texts() const
{
    std::vector<std::string> out;
    for (const LoggedBox& box : boxes)
        out.push_back(box.text);
    return out;
}

std::vector<std::string> call_log(int from)
{
    std::vector<std::string> out;
    for (int i = from; i < platform_call_log_size(); ++i)
        out.push_back(platform_call_log_entry(i));
    return out;
}
