// The window's message queue, as the window system keeps it: messages in
// the order they were sent, the quit message once nothing else waits. The
// desktop's events and the page's fill it; the frame loop takes from it.
#pragma once

#include "platform/messages.h"

// Puts a message in the queue, as the window system sends it; drops every
// queued message (the window they were for is gone).
void queue_message(const Message& message);
inline void queue_message(unsigned message, std::uintptr_t wparam, std::intptr_t lparam)
{
    queue_message(Message{message, wparam, lparam});
}
void clear_queued_messages();
bool message_waiting();
// The first queued message, or WM_QUIT once the queue is empty after a
// quit was posted; false when neither.
bool take_queued_message(Message* message);

// The lParam of WM_SIZE: width in the low word, height in the high word.
constexpr std::intptr_t make_size_lparam(int width, int height)
{
    return static_cast<std::intptr_t>((static_cast<unsigned>(height) & 0xFFFF) << 16 |
                                      (static_cast<unsigned>(width) & 0xFFFF));
}
