// The window system's rules, the same on every backend: the window class
// as a flag with a registry's rules, the cursor count as ShowCursor keeps
// it, one window at a time with one device context, a pixel format chosen
// and set once, a rendering context made on a device context with its
// format, the destroy order, and the presenter that shows the drawable the
// demo draws at its own size. Each step that can fail asks the testing seam
// first, where one is linked. What a window or context is, the backend says
// (backend.h).
#include "platform/window_system.h"

#include "platform/backend.h"
#include "platform/window_internal.h"
#include "present/present_gl.h"
#include "present/presenter.h"

#include <cstdio>
#include <cstdlib>

struct PlatformGlContext {
    BackendContext* backend = nullptr;
    GlDrawable drawable;      // made while the window's pixels differ from what the demo draws
    GlDrawable sink;          // bound for frames whose pixels nobody keeps
    bool sinking = false;     // the frame being drawn goes to the sink
    bool shares_kept = false; // made in the share group of the kept objects
};

WindowState window_state;

namespace {

// The drawable and the sink go while their context is current.
void drop_drawables(PlatformGlContext& context)
{
    if (context.sink.framebuffer)
        drawable_destroy(&context.sink);
    if (context.drawable.framebuffer)
        drawable_destroy(&context.drawable);
    context.sinking = false;
}

// The backend's keeper of the GL objects was deleted (video ended):
// nothing shares the objects any more.
void kept_objects_going()
{
    gl_profile_context_deleted(false);
    window_state.objects_kept = false;
}

// The next frame's target: the drawable, or the sink where the backend
// says nobody keeps the frame's pixels. Where the sink cannot be had, the
// frame is drawn in full.
void follow_frame_kept(bool keep)
{
    const GlContext context = window_state.current_context;
    if (!context || !context->drawable.framebuffer)
        return;
    if (keep != context->sinking)
        return;
    const char* error = nullptr;
    context->sinking = !keep && presenter_sink_bind(&context->sink, &error);
    if (!context->sinking)
        drawable_bind(&context->drawable);
}

// The presenter finds GL's entry points through this backend's profile,
// from before the first window on.
const bool presenter_has_gl = (present_use_gl(PresentGl{gl_profile_entry_point, gl_profile_context_live}), true);

bool step(PlatformStep which) { return !platform_seam || platform_seam->step(which); }

void log_call(const char* name)
{
    if (platform_seam)
        platform_seam->call(name);
}

} // namespace

bool platform_register_class()
{
    if (!step(PlatformStep::register_class))
        return false;
    if (window_state.class_registered)
        return false;
    if (!window_state.video_started) {
        const char* driver = "";
        const VideoStart video = backend_video_start(&driver);
        if (video == VideoStart::none)
            return false;
        window_state.video_started = true;
        window_state.video_driver = driver ? driver : "";
        window_state.monitor = video == VideoStart::monitor;
        // However the process ends (std::exit included), video ends with
        // it: the desktop's mode comes back, as Windows does for a process
        // that changed it.
        if (!window_state.exit_hook) {
            std::atexit(platform_shutdown_video);
            window_state.exit_hook = true;
        }
    }
    window_state.class_registered = true;
    return true;
}

void platform_shutdown_video()
{
    if (window_state.video_started && backend_video_stop()) {
        window_state.video_started = false;
        window_state.video_driver = "";
        // The keeper went with video: nothing shares the objects any more.
        if (window_state.objects_kept)
            kept_objects_going();
    }
}

const char* platform_video_driver() { return window_state.video_started ? window_state.video_driver : ""; }

bool platform_unregister_class()
{
    if (!step(PlatformStep::unregister_class))
        return false;
    if (!window_state.class_registered)
        return false;
    window_state.class_registered = false;
    return true;
}

// The mode is always the desktop's (the drawable has the asked size), and
// the depth the desktop's own: what can fail is having a monitor at all.
int platform_change_display_mode(int width, int height, int)
{
    if (!step(PlatformStep::change_display_mode))
        return DISP_CHANGE_BADMODE;
    if (!window_state.video_started || width < 1 || height < 1 || !window_state.monitor)
        return DISP_CHANGE_BADMODE;
    return DISP_CHANGE_SUCCESSFUL;
}

void platform_restore_display_mode()
{
    // The desktop's mode was never changed: there is nothing to put back.
    log_call("restore_display_mode");
}

int platform_show_cursor(bool show)
{
    log_call(show ? "show_cursor" : "hide_cursor");
    window_state.cursor_count += show ? 1 : -1;
    if (window_state.video_started)
        backend_window_step(nullptr,
                            window_state.cursor_count >= 0 ? WindowStep::show_cursor : WindowStep::hide_cursor);
    return window_state.cursor_count;
}

WindowHandle platform_create_window(const char* title, int x, int y, int width, int height, bool fullscreen)
{
    if (!step(PlatformStep::create_window))
        return nullptr;
    if (!window_state.class_registered || window_state.live_window || width < 1 || height < 1)
        return nullptr;
    BackendWindow* backend = backend_window_open(title ? title : "", x, y, width, height, fullscreen);
    if (!backend)
        return nullptr;
    window_state.live_window = new PlatformWindow{backend, title ? title : "", fullscreen, width, height};
    return window_state.live_window;
}

bool platform_destroy_window(WindowHandle window)
{
    if (!step(PlatformStep::destroy_window))
        return false;
    if (!window || window != window_state.live_window)
        return false;
    backend_window_step(window->backend, WindowStep::close);
    // A device context goes with its window, released or not (as on
    // Windows): a failed release must not keep the next window from one.
    if (window_state.live_dc.window == window)
        window_state.live_dc = PlatformDeviceContext{};
    delete window;
    window_state.live_window = nullptr;
    // Messages still queued for it are of no use to the next window.
    clear_queued_messages();
    return true;
}

void platform_show_window(WindowHandle window)
{
    log_call("show_window");
    if (!window)
        return;
    backend_window_step(window->backend, WindowStep::show);
    // In the sharp mode the demo learns the size it draws at from the
    // window's first size message, before its first frame.
    if (window_state.sharp && window == window_state.live_window) {
        int width = 0, height = 0;
        presenter_follow_window();
        reported_client_size(&width, &height);
        if (width > 0 && height > 0)
            queue_message(WM_SIZE, 0, make_size_lparam(width, height));
    }
}

void platform_set_foreground_window(WindowHandle window)
{
    log_call("set_foreground_window");
    if (window)
        backend_window_step(window->backend, WindowStep::raise);
}

void platform_set_focus(WindowHandle window)
{
    log_call("set_focus");
    if (window)
        backend_window_step(window->backend, WindowStep::focus);
}

DeviceContext platform_get_dc(WindowHandle window)
{
    if (!step(PlatformStep::get_dc))
        return nullptr;
    if (!window || window != window_state.live_window || window_state.live_dc.window)
        return nullptr;
    window_state.live_dc.window = window;
    window_state.live_dc.pixel_format = 0;
    return &window_state.live_dc;
}

bool platform_release_dc(WindowHandle window, DeviceContext dc)
{
    if (!step(PlatformStep::release_dc))
        return false;
    if (!dc || dc != &window_state.live_dc || dc->window != window)
        return false;
    window_state.live_dc = PlatformDeviceContext{};
    return true;
}

int platform_choose_pixel_format(DeviceContext dc, const PixelFormatRequest* request)
{
    if (!step(PlatformStep::choose_pixel_format))
        return 0;
    if (!dc || !request)
        return 0;
    const unsigned needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if ((request->flags & needed) != needed || request->pixel_type != PFD_TYPE_RGBA)
        return 0;
    return 1;
}

bool platform_set_pixel_format(DeviceContext dc, int format, const PixelFormatRequest* request)
{
    if (!step(PlatformStep::set_pixel_format))
        return false;
    if (!dc || !dc->window || !request || format != 1 || dc->pixel_format != 0)
        return false;
    if (!backend_pixel_format_set(*dc->window, *request, &window_state.buffers_complete))
        return false;
    window_state.depth_bits = request->depth_bits;
    window_state.single_asked = (request->flags & PFD_DOUBLEBUFFER) == 0;
    dc->pixel_format = format;
    return true;
}

GlContext platform_create_context(DeviceContext dc)
{
    if (!step(PlatformStep::create_context))
        return nullptr;
    if (!dc || !dc->window || dc->pixel_format == 0)
        return nullptr;
    bool shares = false;
    BackendContext* backend = backend_context_create(*dc->window, &shares);
    if (!backend)
        return nullptr;
    // Made, not current: the window code makes it current as a step of its own.
    window_state.context_current = false;
    return new PlatformGlContext{backend, GlDrawable{}, GlDrawable{}, false, shares};
}

bool platform_make_current(DeviceContext dc, GlContext context)
{
    if (!context) {
        if (!step(PlatformStep::release_current))
            return false;
        // The drawable goes while its context is still current; a context
        // made current again makes it afresh.
        if (window_state.current_context && window_state.context_current)
            drop_drawables(*window_state.current_context);
        bool single = false;
        backend_make_current(nullptr, nullptr, &single);
        window_state.context_current = false;
        window_state.current_context = nullptr;
        return true;
    }
    if (!step(PlatformStep::make_current))
        return false;
    bool single = window_state.single_asked;
    if (!dc || !dc->window || !backend_make_current(dc->window, context->backend, &single))
        return false;
    window_state.single_buffered = single;
    window_state.context_current = true;
    window_state.current_context = context;
    presenter_follow_window();
    return true;
}

bool platform_delete_context(GlContext context)
{
    if (!step(PlatformStep::delete_context))
        return false;
    if (!context)
        return false;
    if (context == window_state.current_context) {
        drop_drawables(*context);
        window_state.current_context = nullptr;
    }
    // The window goes after its context: the objects are kept from it
    // while both are there.
    const bool keep = window_state.keep_asked && !window_state.objects_kept && window_state.live_dc.window;
    if (backend_context_delete(context->backend, keep ? window_state.live_dc.window : nullptr)) {
        context->shares_kept = true;
        window_state.objects_kept = true;
    }
    window_state.keep_asked = false;
    gl_profile_context_deleted(window_state.objects_kept && context->shares_kept);
    delete context;
    window_state.context_current = false;
    return true;
}

void platform_keep_gl_objects() { window_state.keep_asked = true; }

bool platform_gl_objects_kept()
{
    return window_state.context_current && window_state.current_context && window_state.current_context->shares_kept;
}

bool platform_context_current() { return window_state.context_current && gl_profile_context_live(); }

void platform_swap_buffers(DeviceContext dc)
{
    if (!dc || !dc->window)
        return;
    gl_profile_finish_drawing();
    const GlContext current = window_state.current_context;
    const GlDrawable* drawable = current && current->drawable.framebuffer ? &current->drawable : nullptr;
    const WindowSize size = backend_window_size(*dc->window);
    const int pixels_w = size.pixels_width, pixels_h = size.pixels_height;
    if (current && current->sinking) {
        // Nothing to show or read: the window keeps its last frame.
    } else if (drawable) {
        backend_frame_finished(drawable->width, drawable->height);
        drawable_present(drawable, pixels_w, pixels_h);
    } else {
        backend_frame_finished(pixels_w, pixels_h);
    }
    const bool next_kept = backend_swap(*dc->window);
    // A context without a back buffer swaps nothing (so does a pbuffer, what
    // SDL's offscreen driver draws into): without a wait here the loop would
    // queue frames far ahead of the rasteriser, and a window closed at that
    // moment would wait for all of them. A real swap waits for the frame; so
    // does this.
    if (window_state.single_buffered)
        gl_profile_wait_for_frame();
    follow_frame_kept(next_kept);
    if (platform_seam && platform_seam->after_swap)
        platform_seam->after_swap();
}

void platform_set_sharp(bool sharp) { window_state.sharp = sharp; }

void reported_client_size(int* width, int* height)
{
    *width = *height = 0;
    const WindowHandle window = window_state.live_window;
    if (!window)
        return;
    if (window_state.sharp) {
        // The asked aspect, as large as the pixels hold.
        const WindowSize size = backend_window_size(*window);
        const int pixels_w = size.pixels_width, pixels_h = size.pixels_height;
        if (pixels_w < 1 || pixels_h < 1)
            return; // minimised: no size
        const long long w = window->width, h = window->height;
        if (pixels_w * h <= pixels_h * w) {
            *width = pixels_w;
            *height = static_cast<int>(pixels_w * h / w);
        } else {
            *height = pixels_h;
            *width = static_cast<int>(pixels_h * w / h);
        }
        return;
    }
    if (window->fullscreen) {
        *width = window->width;
        *height = window->height;
        return;
    }
    const WindowSize size = backend_window_size(*window);
    *width = size.width;
    *height = size.height;
}

// The presenter's policy (presenter.h) on the live window's sizes.
void presenter_follow_window()
{
    const WindowHandle window = window_state.live_window;
    const GlContext current = window_state.current_context;
    if (!window_state.context_current || !current || !window_state.live_dc.window
        || window_state.live_dc.window != window)
        return;
    int want_w = 0, want_h = 0;
    reported_client_size(&want_w, &want_h);
    const WindowSize size = backend_window_size(*window);
    const int pixels_w = size.pixels_width, pixels_h = size.pixels_height;
    const char* error = nullptr;
    if (!presenter_follow(&current->drawable, want_w, want_h, pixels_w, pixels_h, window_state.buffers_complete,
                          window_state.depth_bits, &error))
        std::fprintf(stderr, "elka: drawing without the presenter: %s\n", error ? error : "");
    // A drawable made afresh is bound; a sunk frame stays sunk, and with no
    // drawable there is nothing to sink.
    if (current->sinking && current->drawable.framebuffer)
        drawable_bind(&current->sink);
    else
        current->sinking = false;
}
