#include "platform/message_queue.h"

#include "platform/backend.h"
#include "platform/window_internal.h"
#include "platform/window_system.h"

void queue_message(const Message& message) { window_state.messages.waiting.push_back(message); }

void clear_queued_messages() { window_state.messages.waiting.clear(); }

bool message_waiting() { return !window_state.messages.waiting.empty(); }

bool take_queued_message(Message* message)
{
    QueuedMessages& queue = window_state.messages;
    if (!queue.waiting.empty()) {
        *message = queue.waiting.front();
        queue.waiting.pop_front();
        return true;
    }
    // The quit message comes once nothing else waits, as it does on Windows.
    if (queue.quit_posted) {
        queue.quit_posted = false;
        message->message = WM_QUIT;
        message->wparam = static_cast<std::uintptr_t>(queue.quit_code);
        message->lparam = 0;
        return true;
    }
    return false;
}

void platform_post_quit_message(int exit_code)
{
    window_state.messages.quit_posted = true;
    window_state.messages.quit_code = exit_code;
}

bool platform_peek_message(Message* message)
{
    // Where a testing seam is linked, it sees every look and what it took.
    if (platform_seam && platform_seam->before_peek)
        platform_seam->before_peek();
    const bool taken = backend_next_message(message);
    if (platform_seam && platform_seam->after_peek)
        platform_seam->after_peek(taken ? message : nullptr);
    return taken;
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
