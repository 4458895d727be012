// The page's key, focus, visibility and resize events as window messages,
// and the page's clock as the counter (in the fixed-rate mode, a counter
// that moves one frame at a time, as the capture tool's does).
#include "platform/fixed_step_counter.h"
#include "platform/message_queue.h"
#include "platform/performance_counter.h"
#include "platform/web/page_events.h"
#include "platform/web/web_backend.h"
#include "platform/backend.h"
#include "platform/window_internal.h"
#include "platform/window_system.h"

#include <emscripten/emscripten.h>

#include <cstdint>

// The page's side (page_library.js).
extern "C" {
int elka_page_take_event(int* kind, int* a, int* b);
double elka_page_counter();
void elka_page_counter_place(double ms, int paused);
void elka_page_frame_begin();
}

// In the idle branch the frame loop waits (suspended, ASYNCIFY) until an
// event comes or a while has passed, which gives the browser its turn.
EM_ASYNC_JS(void, elka_page_idle_wait, (), { await Module.elkaPage.idle(); });

namespace {

// The fixed-rate mode's counter, made when first read.
FixedStepCounter& fixed_counter()
{
    if (!web_backend.fixed_counter_made) {
        web_backend.fixed_counter = fixed_step_counter(elka_page_fixed_rate());
        web_backend.fixed_counter_made = true;
    }
    return web_backend.fixed_counter;
}

// Event kinds of elka_page_take_event.
// activate: a active, b minimised; resized: a minimised (a hidden tab);
// sharp: a on (the page's ?sharp and its toggle); seek: a milliseconds.
enum PageEvent { key_down = 1, key_up = 2, activate = 3, resized = 4, sharp = 5, seek = 6 };

void push_size(bool minimised)
{
    int width = 0, height = 0;
    reported_client_size(&width, &height);
    if (window_state.live_window)
        queue_message(WM_SIZE, 0, minimised ? 0 : make_size_lparam(width, height));
}

void translate(int kind, int a, int b)
{
    switch (kind) {
    case key_down:
    case key_up: {
        const bool system = b != 0;
        if (kind == key_down)
            queue_message(system ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<std::uintptr_t>(a), 0);
        else
            queue_message(system ? WM_SYSKEYUP : WM_KEYUP, static_cast<std::uintptr_t>(a), 0);
        break;
    }
    case activate:
        queue_message(WM_ACTIVATE, (a ? WA_ACTIVE : WA_INACTIVE) | (static_cast<std::uintptr_t>(b ? 1 : 0) << 16), 0);
        break;
    case resized:
        presenter_follow_window();
        push_size(a != 0);
        break;
    case sharp:
        // The scenes at the canvas's device pixels from the next frame on:
        // the window is told its new size as after a resize.
        platform_set_sharp(a != 0);
        presenter_follow_window();
        push_size(false);
        break;
    case seek:
        queue_message(WM_APP_SEEK, static_cast<std::uintptr_t>(a < 0 ? 0 : a), 0);
        break;
    default: break;
    }
}

// The queue first; when it is empty, what the page has, one event at a time.
bool take_message(Message* message)
{
    int kind = 0, a = 0, b = 0;
    while (!message_waiting() && elka_page_take_event(&kind, &a, &b))
        translate(kind, a, b);
    return take_queued_message(message);
}

} // namespace

void page_frame_presented() { web_backend.presented_since_empty = true; }

bool backend_next_message(Message* message)
{
    if (take_message(message))
        return true;
    if (elka_page_fixed_rate() > 0) {
        // An empty look is where the loop draws its next frame: time moves
        // on by one frame first, as in the capture tool.
        fixed_step_advance(fixed_counter());
        elka_page_frame_begin();
        return false;
    }
    if (!web_backend.presented_since_empty)
        elka_page_idle_wait(); // minimised or inactive: wait for an event, not a spin
    web_backend.presented_since_empty = false;
    return false;
}

// Microseconds of the page's clock since the viewer started the demo (0
// until then); in the fixed-rate mode the virtual counter.
bool backend_counter(std::int64_t* frequency, std::int64_t* count)
{
    const bool fixed = elka_page_fixed_rate() > 0;
    const CounterPlace& place = window_state.counter_place;
    if (!fixed && place.serial != web_backend.counter_placed) {
        web_backend.counter_placed = place.serial;
        elka_page_counter_place(place.seconds * 1000.0, place.paused ? 1 : 0);
    }
    if (frequency)
        *frequency = fixed ? fixed_counter().frequency : 1000000;
    if (count)
        *count = fixed ? fixed_counter().value : static_cast<std::int64_t>(elka_page_counter());
    return true;
}
