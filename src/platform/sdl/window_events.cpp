// SDL events turned into the window messages the window procedure handles:
// activate (with the minimised state), close, key down/up with virtual-key
// codes, size, put in the queue (message_queue.cpp) the frame loop takes
// them from, one at a time.
#include "platform/window_system.h"

#include "platform/backend.h"
#include "platform/message_queue.h"
#include "platform/sdl/sdl_window.h"
#include "platform/window_internal.h"

#include <SDL.h>

namespace {

int virtual_key(const SDL_Keysym& key)
{
    SDL_Keycode sym = key.sym;
    if (sym >= SDLK_a && sym <= SDLK_z)
        return 'A' + (sym - SDLK_a);
    if (sym >= SDLK_0 && sym <= SDLK_9)
        return '0' + (sym - SDLK_0);
    if (sym >= SDLK_F1 && sym <= SDLK_F12)
        return VK_F1 + (sym - SDLK_F1);
    if (sym >= SDLK_F13 && sym <= SDLK_F24)
        return VK_F1 + 12 + (sym - SDLK_F13);
    if (sym >= SDLK_KP_1 && sym <= SDLK_KP_9)
        return 0x61 + (sym - SDLK_KP_1);
    switch (sym) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_KP_0: return 0x60;
    default: return 0;
    }
}

bool minimised(SDL_Window* window)
{
    return (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) != 0;
}

void push_activate(unsigned state, bool is_minimised)
{
    Message m;
    m.message = WM_ACTIVATE;
    m.wparam = state | (static_cast<std::uintptr_t>(is_minimised ? 1 : 0) << 16);
    queue_message(m);
}

void push_size(int width, int height)
{
    Message m;
    m.message = WM_SIZE;
    m.lparam = make_size_lparam(width, height);
    queue_message(m);
}

// The window has a size (again): the presenter follows it, and the window
// is told it in the desktop's logical units; a fullscreen window reports
// the size the demo draws at, whatever its monitor's.
void push_resized(const SDL_Event& event)
{
    int width = event.window.data1, height = event.window.data2;
    if (window_state.live_window->fullscreen)
        reported_client_size(&width, &height);
    presenter_follow_window();
    push_size(width, height);
}

// Turns one SDL event into the messages the window would have received.
void translate(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT: {
        // A termination signal: ask the window to close, as the system menu would.
        Message m;
        m.message = WM_CLOSE;
        queue_message(m);
        break;
    }
    case SDL_WINDOWEVENT: {
        if (!window_state.live_window || event.window.windowID != SDL_GetWindowID(sdl_window(window_state.live_window)))
            break; // a window that no longer exists
        SDL_Window* w = sdl_window(window_state.live_window);
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE: {
            Message m;
            m.message = WM_CLOSE;
            queue_message(m);
            break;
        }
        case SDL_WINDOWEVENT_MINIMIZED:
            push_activate(WA_INACTIVE, true);
            push_size(0, 0);
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED: {
            push_activate(WA_ACTIVE, false);
            push_resized(event);
            break;
        }
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            push_activate(WA_ACTIVE, minimised(w));
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            push_activate(WA_INACTIVE, minimised(w));
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            push_resized(event);
            break;
        default:
            break;
        }
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        int vk = virtual_key(event.key.keysym);
        if (vk == 0)
            break;
        bool system = (event.key.keysym.mod & KMOD_ALT) != 0 || vk == VK_F10 || vk == VK_MENU;
        Message m;
        if (event.type == SDL_KEYDOWN)
            m.message = system ? WM_SYSKEYDOWN : WM_KEYDOWN;
        else
            m.message = system ? WM_SYSKEYUP : WM_KEYUP;
        m.wparam = static_cast<std::uintptr_t>(vk);
        queue_message(m);
        break;
    }
    default:
        break;
    }
}

} // namespace

// The queue first; when it is empty, what SDL has, one event at a time.
bool backend_next_message(Message* message)
{
    if (!message_waiting() && window_state.video_started) {
        SDL_Event event;
        while (!message_waiting() && SDL_PollEvent(&event))
            translate(event);
    }
    return take_queued_message(message);
}
