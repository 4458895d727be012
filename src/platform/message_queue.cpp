#include "platform/message_queue.h"

#include "platform/window_system.h"

#include <deque>

namespace {
std::deque<Message> queue;
bool quit_posted = false;
int quit_code = 0;
} // namespace

void queue_message(const Message& message) { queue.push_back(message); }

void clear_queued_messages() { queue.clear(); }

bool message_waiting() { return !queue.empty(); }

bool take_queued_message(Message* message)
{
    if (!queue.empty()) {
        *message = queue.front();
        queue.pop_front();
        return true;
    }
    // The quit message comes once nothing else waits, as it does on Windows.
    if (quit_posted) {
        quit_posted = false;
        message->message = WM_QUIT;
        message->wparam = static_cast<std::uintptr_t>(quit_code);
        message->lparam = 0;
        return true;
    }
    return false;
}

void platform_post_quit_message(int exit_code)
{
    quit_posted = true;
    quit_code = exit_code;
}

long platform_default_window_proc(const Message& message)
{
    constexpr std::uintptr_t VK_F4 = 0x73;
    if (message.message == WM_SYSKEYDOWN && message.wparam == VK_F4) {
        Message close;
        close.message = WM_CLOSE;
        queue_message(close);
    }
    return 0;
}
