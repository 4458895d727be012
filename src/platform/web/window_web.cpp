// The window system of the page: the window class and display mode as the
// desktop keeps them, a window as a <canvas> with its WebGL 2 context, the
// page's key, focus, visibility and resize events as window messages, the
// swap as the wait for the browser's next animation frame, and the page's
// clock as the counter. What is the browser's own is in page_library.js.
//
// Each window is a canvas of its own, and a canvas's WebGL context shares
// nothing with another's: across the F1 toggle the textures and lists are
// made again from the files, which the page keeps in memory.
#include "platform/drawable.h"
#include "platform/gl_profile.h"
#include "platform/message_queue.h"
#include "platform/performance_counter.h"
#include "platform/window_system.h"

#include <GLES3/gl3.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5_webgl.h>

#include <cstdint>
#include <string>
#include <vector>

// The page's side (page_library.js).
extern "C" {
int elka_page_create_canvas(const char* title, int width, int height, int fullscreen);
void elka_page_destroy_canvas();
void elka_page_canvas_pixels(int* width, int* height);
void elka_page_show_cursor(int shown);
int elka_page_take_event(int* kind, int* a, int* b);
double elka_page_counter();
int elka_page_fixed_rate_asked();
void elka_page_frame_begin();
int elka_page_frame_wanted(int frame);
void elka_page_frame_read(int frame, const unsigned char* rgba, int width, int height);
}

// The two waits that give the browser its turn, the frame loop suspended
// in them (ASYNCIFY): after a frame, until the page may draw the next (the
// next animation frame; in the fixed-rate mode, until a frame is asked
// for); and in the idle branch, until an event comes or a while has passed.
EM_ASYNC_JS(void, elka_page_present_wait, (), { await Module.elkaPage.presented(); });
EM_ASYNC_JS(void, elka_page_idle_wait, (), { await Module.elkaPage.idle(); });

struct PlatformWindow {
    std::string title;
    bool fullscreen = false;
    int width = 0, height = 0; // the client size asked for: what the demo draws
};

struct PlatformDeviceContext {
    WindowHandle window = nullptr;
    int pixel_format = 0;
};

struct PlatformGlContext {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl = 0;
    GlDrawable drawable;
};

namespace {

bool class_registered = false;
int cursor_count = 0;
WindowHandle live_window = nullptr;
PlatformDeviceContext live_dc;
GlContext current_context = nullptr;
int depth_bits = 16;

// Whether a frame was shown since the queue was last found empty: a second
// empty look with none between is the idle branch, which must give the
// browser its turn.
bool presented_since_empty = true;
int frames_presented = 0;
// The fixed-rate mode's virtual counter, as the capture tool keeps it: fps
// x 1,000,000 counts a second, advanced by 1,000,000 before each frame.
std::int64_t virtual_counter = 0;

// The page's fixed-rate mode, frames a second (0: real time), read once:
// the page's address does not change while it runs.
int elka_page_fixed_rate()
{
    static const int fps = elka_page_fixed_rate_asked();
    return fps;
}

// Event kinds of elka_page_take_event.
// activate: a active, b minimised; resized: a minimised (a hidden tab).
enum PageEvent { key_down = 1, key_up = 2, activate = 3, resized = 4 };

void push(unsigned message, std::uintptr_t wparam, std::intptr_t lparam)
{
    Message m;
    m.message = message;
    m.wparam = wparam;
    m.lparam = lparam;
    queue_message(m);
}

// The size the window's messages report: what the demo asked for, as on the
// desktop; the canvas's own pixels are the presenter's business.
void push_size(bool minimised)
{
    if (!live_window)
        return;
    push(WM_SIZE, 0, minimised ? 0 : make_size_lparam(live_window->width, live_window->height));
}

// The drawable follows the canvas: the demo always draws at its own size,
// and each swap scales that to the canvas's pixels. Always a drawable, even
// at the same size, so the frame can be read back after it is shown.
void presenter_follow_window()
{
    if (!current_context || !live_window)
        return;
    GlDrawable& drawable = current_context->drawable;
    if (drawable.framebuffer && drawable.width == live_window->width && drawable.height == live_window->height)
        return;
    if (drawable.framebuffer)
        drawable_destroy(&drawable);
    const char* error = nullptr;
    if (!drawable_create(&drawable, live_window->width, live_window->height, depth_bits, &error))
        emscripten_log(EM_LOG_CONSOLE | EM_LOG_WARN, "elka: drawing without the presenter: %s", error ? error : "");
}

void translate(int kind, int a, int b)
{
    switch (kind) {
    case key_down:
    case key_up: {
        const bool system = b != 0;
        if (kind == key_down)
            push(system ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<std::uintptr_t>(a), 0);
        else
            push(system ? WM_SYSKEYUP : WM_KEYUP, static_cast<std::uintptr_t>(a), 0);
        break;
    }
    case activate:
        push(WM_ACTIVATE, (a ? WA_ACTIVE : WA_INACTIVE) | (static_cast<std::uintptr_t>(b ? 1 : 0) << 16), 0);
        break;
    case resized:
        presenter_follow_window();
        push_size(a != 0);
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

// In the fixed-rate mode the frame is read back, as the capture tool reads
// it, when the page has asked for it: from the drawable, or where there is
// none, from the canvas, as wide as it is.
void hand_over_frame(int width, int height)
{
    if (!elka_page_frame_wanted(frames_presented) || width < 1 || height < 1)
        return;
    std::vector<unsigned char> rgba(static_cast<std::size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    elka_page_frame_read(frames_presented, rgba.data(), width, height);
}

} // namespace

bool platform_register_class()
{
    if (class_registered)
        return false;
    class_registered = true;
    return true;
}

bool platform_unregister_class()
{
    if (!class_registered)
        return false;
    class_registered = false;
    return true;
}

// The page is the monitor: a fullscreen window covers it (and the screen,
// once the browser's fullscreen is granted on the viewer's gesture) at the
// page's own size, so the mode asked for is always there.
int platform_change_display_mode(int width, int height, int)
{
    if (!class_registered || width < 1 || height < 1)
        return DISP_CHANGE_BADMODE;
    return DISP_CHANGE_SUCCESSFUL;
}

void platform_restore_display_mode() { }

int platform_show_cursor(bool show)
{
    cursor_count += show ? 1 : -1;
    elka_page_show_cursor(cursor_count >= 0);
    return cursor_count;
}

WindowHandle platform_create_window(const char* title, int, int, int width, int height, bool fullscreen)
{
    if (!class_registered || live_window || width < 1 || height < 1)
        return nullptr;
    if (!elka_page_create_canvas(title ? title : "", width, height, fullscreen ? 1 : 0))
        return nullptr;
    live_window = new PlatformWindow{title ? title : "", fullscreen, width, height};
    return live_window;
}

bool platform_destroy_window(WindowHandle window)
{
    if (!window || window != live_window)
        return false;
    // The canvas stays on the page, showing the last frame, until the next
    // window takes its place: a page cannot close, and after Escape the
    // viewer still sees where the demo ended.
    elka_page_destroy_canvas();
    if (live_dc.window == window)
        live_dc = PlatformDeviceContext{};
    delete window;
    live_window = nullptr;
    clear_queued_messages(); // what was queued for it is of no use to the next window
    return true;
}

void platform_show_window(WindowHandle) { }
void platform_set_foreground_window(WindowHandle) { }
void platform_set_focus(WindowHandle) { }

DeviceContext platform_get_dc(WindowHandle window)
{
    if (!window || window != live_window || live_dc.window)
        return nullptr;
    live_dc.window = window;
    live_dc.pixel_format = 0;
    return &live_dc;
}

bool platform_release_dc(WindowHandle window, DeviceContext dc)
{
    if (!dc || dc != &live_dc || dc->window != window)
        return false;
    live_dc = PlatformDeviceContext{};
    return true;
}

int platform_choose_pixel_format(DeviceContext dc, const PixelFormatRequest* request)
{
    if (!dc || !request)
        return 0;
    const unsigned needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if ((request->flags & needed) != needed || request->pixel_type != PFD_TYPE_RGBA)
        return 0;
    return 1;
}

bool platform_set_pixel_format(DeviceContext dc, int format, const PixelFormatRequest* request)
{
    if (!dc || !request || format != 1 || dc->pixel_format != 0)
        return false;
    depth_bits = request->depth_bits > 16 ? 24 : 16;
    dc->pixel_format = format;
    return true;
}

GlContext platform_create_context(DeviceContext dc)
{
    if (!dc || !dc->window || dc->pixel_format == 0)
        return nullptr;
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    // The demo draws into its drawable; the canvas only receives the
    // scaled frame, so it needs no depth, alpha or multisampling.
    attributes.alpha = false;
    attributes.depth = false;
    attributes.stencil = false;
    attributes.antialias = false;
    attributes.premultipliedAlpha = false;
    attributes.preserveDrawingBuffer = false;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl = emscripten_webgl_create_context("#elka-canvas", &attributes);
    if (webgl <= 0)
        return nullptr;
    auto* context = new PlatformGlContext;
    context->webgl = webgl;
    return context;
}

bool platform_make_current(DeviceContext dc, GlContext context)
{
    if (!context) {
        if (current_context && current_context->drawable.framebuffer)
            drawable_destroy(&current_context->drawable);
        emscripten_webgl_make_context_current(0);
        current_context = nullptr;
        return true;
    }
    if (!dc || !dc->window)
        return false;
    if (emscripten_webgl_make_context_current(context->webgl) != EMSCRIPTEN_RESULT_SUCCESS)
        return false;
    current_context = context;
    presenter_follow_window();
    return true;
}

bool platform_delete_context(GlContext context)
{
    if (!context)
        return false;
    gl_profile_context_deleted(false); // nothing of a canvas's context outlives it
    if (context == current_context) {
        if (context->drawable.framebuffer)
            drawable_destroy(&context->drawable);
        current_context = nullptr;
    }
    emscripten_webgl_destroy_context(context->webgl);
    delete context;
    return true;
}

void platform_keep_gl_objects() { }

bool platform_gl_objects_kept() { return false; }

bool platform_context_current() { return current_context != nullptr && gl_profile_context_live(); }

void platform_swap_buffers(DeviceContext dc)
{
    if (!dc || !dc->window || !current_context)
        return;
    gl_profile_finish_drawing();
    const GlDrawable& drawable = current_context->drawable;
    int pixels_w = 0, pixels_h = 0;
    elka_page_canvas_pixels(&pixels_w, &pixels_h);
    if (drawable.framebuffer) {
        hand_over_frame(drawable.width, drawable.height);
        drawable_present(&drawable, pixels_w, pixels_h);
    } else {
        hand_over_frame(pixels_w, pixels_h);
    }
    if (elka_page_fixed_rate() > 0) {
        // A frame is timed until it is drawn, as in the capture tool. The
        // browser draws in a process of its own, and its glFinish does not
        // wait for that; reading a pixel back does.
        unsigned char pixel[4];
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    }
    ++frames_presented;
    presented_since_empty = true;
    // The browser shows the frame when this returns to it.
    elka_page_present_wait();
}

bool platform_peek_message(Message* message)
{
    if (take_message(message))
        return true;
    if (elka_page_fixed_rate() > 0) {
        // An empty look is where the loop draws its next frame: time moves
        // on by one frame first, as in the capture tool.
        virtual_counter += 1000000;
        elka_page_frame_begin();
        return false;
    }
    if (!presented_since_empty)
        elka_page_idle_wait(); // minimised or inactive: wait for an event, not a spin
    presented_since_empty = false;
    return false;
}

bool platform_query_frequency(std::int64_t* frequency)
{
    const int fps = elka_page_fixed_rate();
    *frequency = fps > 0 ? static_cast<std::int64_t>(fps) * 1000000 : 1000000;
    return true;
}

// Microseconds of the page's clock since the viewer started the demo (0
// until then); in the fixed-rate mode the virtual counter.
std::int64_t platform_query_counter()
{
    if (elka_page_fixed_rate() > 0)
        return virtual_counter;
    return static_cast<std::int64_t>(elka_page_counter());
}
