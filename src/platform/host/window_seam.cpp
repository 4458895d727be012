// The window system's testing seam, the same on every backend: failure
// injection and the call log of every window step, messages put in the
// queue, the frame loop observed at the queue and the swap, and message
// boxes answered by a hook. Linking this file plugs it into the window
// system (platform_seam); the demo does not link it. The window as the
// backend has it is asked in host/<backend>/.
#include "platform/host.h"
#include "platform/host/host_state.h"

#include <utility>

namespace {

bool on_step(PlatformStep which)
{
    host.call_log.push_back(platform_step_name(which));
    bool& fail = host.failing[static_cast<int>(which)];
    if (fail) {
        fail = false;
        return false;
    }
    return true;
}

void on_call(const char* name) { host.call_log.push_back(name); }

bool on_message_box(const char* text, const char* caption, unsigned style, int* answer)
{
    if (!host.box_hook)
        return false;
    *answer = host.box_hook(text, caption, style);
    return true;
}

void on_before_peek()
{
    if (host.loop_observer && host.loop_observer->before_peek)
        host.loop_observer->before_peek();
}

void on_after_peek(const Message* taken)
{
    if (host.loop_observer && host.loop_observer->after_peek)
        host.loop_observer->after_peek(taken);
}

void on_after_swap()
{
    if (host.loop_observer && host.loop_observer->after_swap)
        host.loop_observer->after_swap();
}

const PlatformSeam seam{on_step, on_call, on_message_box, on_before_peek, on_after_peek, on_after_swap};

// Plugged in before main, so the log holds every step of the process.
const bool plugged_in = (platform_seam = &seam, true);

} // namespace

const char* platform_step_name(PlatformStep which)
{
    switch (which) {
    case PlatformStep::register_class: return "register_class";
    case PlatformStep::unregister_class: return "unregister_class";
    case PlatformStep::change_display_mode: return "change_display_mode";
    case PlatformStep::create_window: return "create_window";
    case PlatformStep::destroy_window: return "destroy_window";
    case PlatformStep::get_dc: return "get_dc";
    case PlatformStep::release_dc: return "release_dc";
    case PlatformStep::choose_pixel_format: return "choose_pixel_format";
    case PlatformStep::set_pixel_format: return "set_pixel_format";
    case PlatformStep::create_context: return "create_context";
    case PlatformStep::make_current: return "make_current";
    case PlatformStep::release_current: return "release_current";
    case PlatformStep::delete_context: return "delete_context";
    case PlatformStep::count: break;
    }
    return "?";
}

void platform_inject_failure(PlatformStep which) { host.failing[static_cast<int>(which)] = true; }

void platform_clear_injected_failures()
{
    for (bool& f : host.failing)
        f = false;
}

int platform_call_log_size() { return static_cast<int>(host.call_log.size()); }

const char* platform_call_log_entry(int index)
{
    if (index < 0 || index >= static_cast<int>(host.call_log.size()))
        return "";
    return host.call_log[static_cast<std::size_t>(index)];
}

void platform_clear_call_log() { host.call_log.clear(); }

void platform_post_message(const Message& message) { queue_message(message); }

void platform_observe_loop(const LoopObserver* observer) { host.loop_observer = observer; }

void platform_set_message_box_hook(MessageBoxHook hook) { host.box_hook = std::move(hook); }

bool platform_class_registered() { return window_state.class_registered; }

int platform_cursor_count() { return window_state.cursor_count; }

void platform_reset_testing_seam()
{
    platform_clear_injected_failures();
    platform_clear_call_log();
    platform_observe_loop(nullptr);
    platform_set_message_box_hook(nullptr);
    platform_set_counter_source(nullptr);
    fsound_restore_version();
}
