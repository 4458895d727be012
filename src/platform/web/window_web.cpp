// The page's windows, as the window rules (window_rules.cpp) ask for them:
// the window class and display mode as the desktop keeps them, a window as
// a <canvas> with its WebGL 2 context, and the swap as the wait for the
// browser's next animation frame. What is the browser's own is in
// page_library.js.
//
// Each window is a canvas of its own, and a canvas's WebGL context shares
// nothing with another's: across the F1 toggle the textures and lists are
// made again from the files, which the page keeps in memory.
#include "platform/backend.h"
#include "platform/web/page_events.h"
#include "platform/web/web_backend.h"
#include "present/presenter.h"

#include <GLES3/gl3.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5_webgl.h>

#include <vector>

// The page's side (page_library.js).
extern "C" {
int elka_page_create_canvas(const char* title, int width, int height, int fullscreen);
void elka_page_destroy_canvas();
void elka_page_canvas_pixels(int* width, int* height);
void elka_page_fit_canvas();
void elka_page_show_cursor(int shown);
int elka_page_frame_wanted(int frame);
int elka_page_every_frame_drawn();
void elka_page_frame_read(int frame, const unsigned char* rgba, int width, int height);
}

// After a frame, the frame loop waits (suspended, ASYNCIFY) until the page
// may draw the next: the next animation frame; in the fixed-rate mode,
// until a frame is asked for.
EM_ASYNC_JS(void, elka_page_present_wait, (), { await Module.elkaPage.presented(); });
EM_ASYNC_JS(void, elka_page_take_turn, (), { await Module.elkaPage.takeTurn(); });

// The page keeps nothing of a window but its canvas.
struct BackendWindow { };

struct BackendContext {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl = 0;
};

// The page is the monitor: a fullscreen window covers it (and the screen,
// once the browser's fullscreen is granted on the viewer's gesture) at the
// page's own size, so the mode asked for is always there.
VideoStart backend_video_start(const char** driver)
{
    web_backend.take_turn = elka_page_take_turn;
    *driver = "webgl";
    return VideoStart::monitor;
}

// The canvas stays on the page as long as the page does.
bool backend_video_stop() { return false; }

BackendWindow* backend_window_open(const char* title, int, int, int width, int height, bool fullscreen)
{
    if (!elka_page_create_canvas(title, width, height, fullscreen ? 1 : 0))
        return nullptr;
    return new BackendWindow;
}

// The canvas stays on the page, showing the last frame, until the next
// window takes its place: a page cannot close, and after Escape the viewer
// still sees where the demo ended.
// The canvas is shown with the page and has its keys: only the cursor
// moves, and the canvas goes with its window.
void backend_window_step(BackendWindow* window, WindowStep step)
{
    if (step == WindowStep::show_cursor || step == WindowStep::hide_cursor)
        elka_page_show_cursor(step == WindowStep::show_cursor ? 1 : 0);
    if (step == WindowStep::close) {
        elka_page_destroy_canvas();
        delete window;
    }
}

// The size the window's messages report: what the demo asked for, as on the
// desktop; the canvas's own pixels are the presenter's business.
WindowSize backend_window_size(const PlatformWindow& window)
{
    WindowSize size;
    size.width = window.width;
    size.height = window.height;
    elka_page_canvas_pixels(&size.pixels_width, &size.pixels_height);
    return size;
}

// The canvas has neither depth nor a frame to read back once shown: the
// demo always draws into a drawable, even at the canvas's size.
bool backend_pixel_format_set(PlatformWindow&, const PixelFormatRequest&, bool* buffers_complete)
{
    *buffers_complete = false; // the canvas is drawn through a drawable
    return true;
}

BackendContext* backend_context_create(PlatformWindow&, bool*)
{
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
    return new BackendContext{webgl};
}

// A canvas always has its back buffer.
bool backend_make_current(PlatformWindow*, BackendContext* context, bool* single_buffered)
{
    *single_buffered = false;
    return emscripten_webgl_make_context_current(context ? context->webgl : 0) == EMSCRIPTEN_RESULT_SUCCESS;
}

// Nothing of a canvas's context outlives it: nothing is kept.
bool backend_context_delete(BackendContext* context, PlatformWindow*)
{
    emscripten_webgl_destroy_context(context->webgl);
    delete context;
    return false;
}

// In the fixed-rate mode the frame is read back, as the capture tool reads
// it, when the page has asked for it: from the drawable, or where there is
// none, from the canvas, as wide as it is. Then the canvas takes the size
// the page last reported: only now, as the frame that fills it comes.
void backend_frame_finished(int width, int height)
{
    if (elka_page_frame_wanted(web_backend.frames_presented) && width > 0 && height > 0) {
        std::vector<unsigned char> rgba(static_cast<std::size_t>(width) * height * 4);
        presenter_read_back(width, height, rgba.data());
        elka_page_frame_read(web_backend.frames_presented, rgba.data(), width, height);
    }
    elka_page_fit_canvas();
}

// In the fixed-rate mode only the frames the page asks for are kept,
// unless it asks for every frame drawn in full (its timedemo).
bool backend_swap(PlatformWindow&)
{
    if (elka_page_fixed_rate() > 0) {
        // A frame is timed until it is drawn, as in the capture tool. The
        // browser draws in a process of its own, and its glFinish does not
        // wait for that; reading a pixel back does.
        unsigned char pixel[4];
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    }
    ++web_backend.frames_presented;
    page_frame_presented();
    // The browser shows the frame when this returns to it.
    elka_page_present_wait();
    return elka_page_fixed_rate() == 0 || elka_page_every_frame_drawn()
        || elka_page_frame_wanted(web_backend.frames_presented);
}
