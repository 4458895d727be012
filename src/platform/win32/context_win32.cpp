// The window's pixel format and its WGL context, the keeper of the GL
// objects over the F1 toggle, and the buffer swap.
#include "platform/win32/win32_window.h"

#include "platform/backend.h"
#include "platform/win32/win32_backend.h"

#include <GL/gl.h>

struct BackendContext {
    HGLRC wgl = nullptr;
};

bool backend_pixel_format_set(PlatformWindow& window, const PixelFormatRequest& request, bool* buffers_complete)
{
    PIXELFORMATDESCRIPTOR wanted{};
    wanted.nSize = sizeof wanted;
    wanted.nVersion = 1;
    wanted.dwFlags = request.flags;
    wanted.iPixelType = request.pixel_type;
    wanted.cColorBits = request.color_bits;
    wanted.cAlphaBits = request.alpha_bits;
    wanted.cAccumBits = request.accum_bits;
    wanted.cDepthBits = request.depth_bits;
    wanted.cStencilBits = request.stencil_bits;
    wanted.cAuxBuffers = request.aux_buffers;
    wanted.iLayerType = request.layer_type;
    HDC dc = window.backend->dc;
    const int format = ChoosePixelFormat(dc, &wanted);
    if (format == 0 || !SetPixelFormat(dc, format, &wanted))
        return false;
    PIXELFORMATDESCRIPTOR got{};
    DescribePixelFormat(dc, format, sizeof got, &got);
    *buffers_complete = got.cDepthBits >= request.depth_bits && got.cColorBits >= request.color_bits
        && (got.dwFlags & PFD_DOUBLEBUFFER) == (request.flags & PFD_DOUBLEBUFFER);
    return true;
}

BackendContext* backend_context_create(PlatformWindow& window, bool* shares_kept)
{
    HGLRC wgl = wglCreateContext(window.backend->dc);
    if (!wgl)
        return nullptr;
    // Beside the kept objects where there are any; a new context shares
    // only while it has no objects of its own, which it has not yet.
    if (win32_backend.keeper_context)
        *shares_kept = wglShareLists(win32_backend.keeper_context, wgl) != FALSE;
    return new BackendContext{wgl};
}

bool backend_make_current(PlatformWindow* window, BackendContext* context, bool* single_buffered)
{
    if (!context)
        return wglMakeCurrent(nullptr, nullptr) != FALSE;
    if (!wglMakeCurrent(window->backend->dc, context->wgl))
        return false;
    GLboolean doubled = GL_TRUE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubled);
    *single_buffered = doubled == GL_FALSE;
    // A swap waits for the display: adaptively where the driver can
    // (WGL_EXT_swap_control_tear takes -1), else for every refresh. A driver
    // without WGL_EXT_swap_control swaps at once; the scenes are timed by
    // the frame deltas, so they keep their pace either way.
    using SwapInterval = BOOL(WINAPI*)(int);
    if (auto swap_interval = reinterpret_cast<SwapInterval>(gl_profile_entry_point("wglSwapIntervalEXT")))
        if (!swap_interval(-1))
            swap_interval(1);
    return true;
}

namespace {

bool keep_objects(PlatformWindow& window, BackendContext* context)
{
    HGLRC keeper = wglCreateContext(window.backend->dc);
    if (!keeper)
        return false;
    if (!wglShareLists(context->wgl, keeper)) {
        wglDeleteContext(keeper);
        return false;
    }
    win32_backend.keeper_context = keeper;
    return true;
}

} // namespace

bool backend_context_delete(BackendContext* context, PlatformWindow* keep_on)
{
    const bool kept = keep_on && keep_objects(*keep_on, context);
    if (wglGetCurrentContext() == context->wgl)
        wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context->wgl);
    delete context;
    return kept;
}

void backend_frame_finished(int, int) { }

// A window shows every frame: the next one is kept too.
bool backend_swap(PlatformWindow& window)
{
    SwapBuffers(window.backend->dc);
    return true;
}

void win32_delete_keeper()
{
    if (!win32_backend.keeper_context)
        return;
    wglDeleteContext(win32_backend.keeper_context);
    win32_backend.keeper_context = nullptr;
}
