// face_probe: the window system's rules, which every backend shares, driven
// through the host library and printed line by line. The same program is
// built on each backend (the desktop's SDL, Win32 under Wine, the page in
// a browser); the lines must be the same on all of them, so a rule that one
// backend bends shows as a line of its own. It prints "probe: end N" last,
// N the number of lines before it.
#include "platform/host.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/performance_counter.h"
#include "platform/window_system.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

int lines = 0;

void say(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::printf("\n");
    std::fflush(stdout);
    ++lines;
}

// The call log since `from`, one line.
std::string log_since(int from)
{
    std::string out;
    for (int i = from; i < platform_call_log_size(); ++i) {
        if (!out.empty())
            out += ' ';
        out += platform_call_log_entry(i);
    }
    return out.empty() ? "-" : out;
}

constexpr unsigned gl_window = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;

PixelFormatRequest request_of(unsigned flags)
{
    PixelFormatRequest request;
    request.flags = flags;
    request.pixel_type = PFD_TYPE_RGBA;
    request.color_bits = 24;
    request.depth_bits = 16;
    return request;
}

// What an open made (all null or false to begin with), and the step that
// failed (null: all went).
struct Opened {
    bool registered, current;
    WindowHandle window;
    DeviceContext dc;
    GlContext context;
    const char* failed;
};

// Opens as the demo's window code does, step by step, stopping at the
// first that fails.
Opened open_steps()
{
    Opened o{};
    const PixelFormatRequest request = request_of(gl_window);
    if (!(o.registered = platform_register_class())) {
        o.failed = "register_class";
        return o;
    }
    if (!(o.window = platform_create_window("eLka", 0, 0, 320, 240, false))) {
        o.failed = "create_window";
        return o;
    }
    if (!(o.dc = platform_get_dc(o.window))) {
        o.failed = "get_dc";
        return o;
    }
    const int format = platform_choose_pixel_format(o.dc, &request);
    if (format == 0) {
        o.failed = "choose_pixel_format";
        return o;
    }
    if (!platform_set_pixel_format(o.dc, format, &request)) {
        o.failed = "set_pixel_format";
        return o;
    }
    if (!(o.context = platform_create_context(o.dc))) {
        o.failed = "create_context";
        return o;
    }
    if (!(o.current = platform_make_current(o.dc, o.context)))
        o.failed = "make_current";
    return o;
}

// Closes what was opened, as the demo's window code does: each step on its
// own, its result printed.
std::string close_steps(const Opened& o)
{
    std::string results;
    const auto add = [&](const char* name, bool ok) {
        if (!results.empty())
            results += ' ';
        results += name;
        results += ok ? "=1" : "=0";
    };
    if (o.context) {
        add("release_current", platform_make_current(nullptr, nullptr));
        add("delete_context", platform_delete_context(o.context));
    }
    if (o.dc)
        add("release_dc", platform_release_dc(o.window, o.dc));
    if (o.window)
        add("destroy_window", platform_destroy_window(o.window));
    if (o.registered)
        add("unregister_class", platform_unregister_class());
    return results.empty() ? "-" : results;
}

void registry()
{
    say("registry: unregister before %d", platform_unregister_class());
    say("registry: register %d", platform_register_class());
    say("registry: register again %d", platform_register_class());
    say("registry: registered %d", platform_class_registered());
    say("registry: unregister %d", platform_unregister_class());
    say("registry: unregister again %d", platform_unregister_class());
    say("registry: register after %d", platform_register_class());
    say("registry: unregister after %d", platform_unregister_class());
}

// Messages put in the queue come out in order, the quit message last
// whatever came after it, and once.
void queue()
{
    Message m;
    while (platform_peek_message(&m)) {
    }
    platform_post_message(Message{WM_KEYDOWN, VK_SPACE, 1});
    platform_post_quit_message(3);
    platform_post_message(Message{WM_KEYUP, VK_SPACE, 2});
    platform_post_message(Message{WM_APP_SEEK, 5, 6});
    std::string order;
    while (platform_peek_message(&m)) {
        order += ' ';
        order += std::to_string(m.message) + '/' + std::to_string(m.wparam) + '/' + std::to_string(m.lparam);
    }
    say("queue:%s", order.c_str());
    say("queue: empty after %d", !platform_peek_message(&m));
}

// The loop's observer sees each look and what it took.
int looks = 0, taken = 0, empty_looks = 0;
void observed()
{
    static const LoopObserver observer{[] { ++looks; },
                                       [](const Message* message) {
                                           if (message)
                                               ++taken;
                                           else
                                               ++empty_looks;
                                       },
                                       nullptr};
    platform_observe_loop(&observer);
    Message m;
    platform_post_message(Message{WM_KEYDOWN, VK_LEFT, 0});
    platform_post_message(Message{WM_KEYUP, VK_LEFT, 0});
    while (platform_peek_message(&m)) {
    }
    platform_observe_loop(nullptr);
    say("observer: looks %d taken %d empty %d", looks, taken, empty_looks);
}

void cursor()
{
    const int from = platform_call_log_size();
    const int a = platform_show_cursor(false);
    const int b = platform_show_cursor(false);
    const int c = platform_show_cursor(true);
    const int d = platform_show_cursor(true);
    say("cursor: %d %d %d %d, count %d", a, b, c, d, platform_cursor_count());
    say("cursor log: %s", log_since(from).c_str());
}

void boxes()
{
    std::string seen;
    platform_set_message_box_hook([&](const char* text, const char* caption, unsigned style) {
        seen += caption;
        seen += ": ";
        seen += text;
        seen += " (" + std::to_string(style) + ") ";
        return (style & 0x0F) == MB_YESNO ? IDNO : IDOK;
    });
    const int question = platform_message_box("Use Windowed Mode Instead?", "Dova GL", MB_YESNO | MB_ICONEXCLAMATION);
    const int notice = platform_message_box("Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP);
    platform_set_message_box_hook(nullptr);
    say("boxes: answers %d %d, seen %s", question, notice, seen.c_str());
}

// A counter the caller drives stands in for the backend's, and goes.
std::int64_t driven = 1000;
void counter()
{
    static const CounterSource source{[](std::int64_t* frequency) {
                                          *frequency = 250;
                                          return true;
                                      },
                                      [] { return driven += 10; }};
    platform_set_counter_source(&source);
    std::int64_t frequency = 0;
    const bool has = platform_query_frequency(&frequency);
    const std::int64_t first = platform_query_counter(), second = platform_query_counter();
    say("counter: driven %d %lld %lld %lld", has, static_cast<long long>(frequency), static_cast<long long>(first),
        static_cast<long long>(second));
    platform_set_counter_source(nullptr);
    frequency = 0;
    const bool own = platform_query_frequency(&frequency);
    const std::int64_t a = platform_query_counter(), b = platform_query_counter();
    say("counter: the backend's %d, at least a millisecond clock %d, never back %d", own, frequency >= 1000, b >= a);
}

// A format is chosen only for GL in a window, in RGBA; the one format
// there is is set once.
void pixel_format()
{
    platform_register_class();
    const WindowHandle window = platform_create_window("eLka", 0, 0, 64, 48, false);
    const DeviceContext dc = platform_get_dc(window);
    const PixelFormatRequest gl = request_of(gl_window), no_gl = request_of(PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER);
    PixelFormatRequest indexed = gl;
    indexed.pixel_type = 1;
    say("pixel format: chosen %d, without GL %d, colour index %d", platform_choose_pixel_format(dc, &gl),
        platform_choose_pixel_format(dc, &no_gl), platform_choose_pixel_format(dc, &indexed));
    const bool other = platform_set_pixel_format(dc, 2, &gl);
    const bool first = platform_set_pixel_format(dc, 1, &gl);
    const bool again = platform_set_pixel_format(dc, 1, &gl);
    say("pixel format: format 2 set %d, format 1 set %d, set again %d", other, first, again);
    platform_release_dc(window, dc);
    platform_destroy_window(window);
    platform_unregister_class();
}

void open_and_close()
{
    int from = platform_call_log_size();
    Opened o = open_steps();
    say("open: %s, current %d", o.failed ? o.failed : "all", platform_context_current());
    say("open log: %s", log_since(from).c_str());
    from = platform_call_log_size();
    say("close: %s", close_steps(o).c_str());
    say("close log: %s", log_since(from).c_str());
    say("close: current after %d, registered %d", platform_context_current(), platform_class_registered());
}

// Each step of opening failing in turn: the steps before it ran, none after.
void open_failures()
{
    const PlatformStep steps[] = {PlatformStep::register_class,      PlatformStep::create_window,
                                  PlatformStep::get_dc,              PlatformStep::choose_pixel_format,
                                  PlatformStep::set_pixel_format,    PlatformStep::create_context,
                                  PlatformStep::make_current};
    for (const PlatformStep step : steps) {
        platform_inject_failure(step);
        int from = platform_call_log_size();
        Opened o = open_steps();
        say("open failing %s: stopped at %s", platform_step_name(step), o.failed ? o.failed : "nothing");
        say("  log: %s", log_since(from).c_str());
        from = platform_call_log_size();
        say("  close: %s", close_steps(o).c_str());
        platform_clear_injected_failures();
    }
}

// Each step of closing failing in turn: it says so, and the others still run.
void close_failures()
{
    const PlatformStep steps[] = {PlatformStep::release_current, PlatformStep::delete_context, PlatformStep::release_dc,
                                  PlatformStep::destroy_window, PlatformStep::unregister_class};
    for (const PlatformStep step : steps) {
        Opened o = open_steps();
        if (o.failed) {
            say("close failing %s: the open failed at %s", platform_step_name(step), o.failed);
            continue;
        }
        platform_inject_failure(step);
        const int from = platform_call_log_size();
        say("close failing %s: %s", platform_step_name(step), close_steps(o).c_str());
        say("  log: %s", log_since(from).c_str());
        platform_clear_injected_failures();
        // What a failed step left is let go now, so the next round starts clean.
        if (step == PlatformStep::destroy_window)
            platform_destroy_window(o.window);
        if (step == PlatformStep::unregister_class)
            platform_unregister_class();
    }
}

} // namespace

int main()
{
    registry();
    queue();
    observed();
    cursor();
    boxes();
    counter();
    pixel_format();
    open_and_close();
    open_failures();
    close_failures();
    std::printf("probe: end %d\n", lines);
    std::fflush(stdout);
    return 0;
}
