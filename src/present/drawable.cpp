// The drawable and its presentation. Framebuffer objects and the blit are
// not GL 1.1, so their entry points are looked up like any other
// extension's; in the ES and browser builds they are OpenGL ES 3.0's own,
// under the same names. Only the framebuffer bindings are touched: the
// state the scenes set (clear colour, viewport, blending) is the same after
// a present.
#include "present/drawable.h"

#include "present/letterbox.h"
#include "present/present_gl.h"

#ifdef ELKA_GLES
#include <GLES3/gl3.h>
#else
#include <GL/gl.h>
#include <GL/glext.h>
#endif

namespace {

PresentGl given_gl;

template <typename T> bool look_up(T* function, const char* name)
{
    *function = given_gl.entry_point ? reinterpret_cast<T>(given_gl.entry_point(name)) : nullptr;
    return *function != nullptr;
}

bool context_live() { return given_gl.context_live && given_gl.context_live(); }

PFNGLGENFRAMEBUFFERSPROC gen_framebuffers = nullptr;
PFNGLDELETEFRAMEBUFFERSPROC delete_framebuffers = nullptr;
PFNGLBINDFRAMEBUFFERPROC bind_framebuffer = nullptr;
PFNGLGENRENDERBUFFERSPROC gen_renderbuffers = nullptr;
PFNGLDELETERENDERBUFFERSPROC delete_renderbuffers = nullptr;
PFNGLBINDRENDERBUFFERPROC bind_renderbuffer = nullptr;
PFNGLRENDERBUFFERSTORAGEPROC renderbuffer_storage = nullptr;
PFNGLFRAMEBUFFERRENDERBUFFERPROC framebuffer_renderbuffer = nullptr;
PFNGLCHECKFRAMEBUFFERSTATUSPROC check_framebuffer_status = nullptr;
PFNGLBLITFRAMEBUFFERPROC blit_framebuffer = nullptr;
PFNGLCLEARBUFFERFVPROC clear_buffer = nullptr;

// Looked up once per process: one driver serves every context SDL makes.
bool entry_points()
{
    static bool looked = false, found = false;
    if (looked)
        return found;
    looked = true;
    bool ok = look_up(&gen_framebuffers, "glGenFramebuffers");
    ok = look_up(&delete_framebuffers, "glDeleteFramebuffers") && ok;
    ok = look_up(&bind_framebuffer, "glBindFramebuffer") && ok;
    ok = look_up(&gen_renderbuffers, "glGenRenderbuffers") && ok;
    ok = look_up(&delete_renderbuffers, "glDeleteRenderbuffers") && ok;
    ok = look_up(&bind_renderbuffer, "glBindRenderbuffer") && ok;
    ok = look_up(&renderbuffer_storage, "glRenderbufferStorage") && ok;
    ok = look_up(&framebuffer_renderbuffer, "glFramebufferRenderbuffer") && ok;
    ok = look_up(&check_framebuffer_status, "glCheckFramebufferStatus") && ok;
    ok = look_up(&blit_framebuffer, "glBlitFramebuffer") && ok;
    ok = look_up(&clear_buffer, "glClearBufferfv") && ok;
    found = ok;
    return found;
}

GLenum depth_format(int bits)
{
    if (bits == 16)
        return GL_DEPTH_COMPONENT16;
#ifndef ELKA_GLES
    if (bits == 32)
        return GL_DEPTH_COMPONENT32;
#endif
    return GL_DEPTH_COMPONENT24;
}

} // namespace

void present_use_gl(const PresentGl& gl) { given_gl = gl; }

bool drawable_create(GlDrawable* drawable, int width, int height, int depth_bits, const char** error)
{
    *error = nullptr;
    *drawable = GlDrawable{};
    if (!context_live()) {
        *error = "no GL context is current";
        return false;
    }
    if (!entry_points()) {
        *error = "the GL driver offers no framebuffer objects";
        return false;
    }
    if (width < 1 || height < 1) {
        *error = "the size has no area";
        return false;
    }
    GLint max_size = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &max_size);
    if (max_size > 0 && (width > max_size || height > max_size)) {
        *error = "the size is larger than the GL driver's largest render buffer";
        return false;
    }
    GLuint names[2] = {0, 0};
    gen_framebuffers(1, names);
    drawable->framebuffer = names[0];
    bind_framebuffer(GL_FRAMEBUFFER, drawable->framebuffer);
    gen_renderbuffers(2, names);
    drawable->colour = names[0];
    drawable->depth = names[1];
    // No alpha, like the window's own pixel format: destination alpha
    // stays out of every blend the scenes make.
    bind_renderbuffer(GL_RENDERBUFFER, drawable->colour);
    renderbuffer_storage(GL_RENDERBUFFER, GL_RGB8, width, height);
    framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, drawable->colour);
    bind_renderbuffer(GL_RENDERBUFFER, drawable->depth);
    renderbuffer_storage(GL_RENDERBUFFER, depth_format(depth_bits), width, height);
    framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, drawable->depth);
    bind_renderbuffer(GL_RENDERBUFFER, 0);
    if (check_framebuffer_status(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        drawable_destroy(drawable);
        *error = "the GL driver cannot draw into a framebuffer of that size";
        return false;
    }
    drawable->width = width;
    drawable->height = height;
    drawable_bind(drawable);
    return true;
}

void drawable_destroy(GlDrawable* drawable)
{
    if (drawable->framebuffer && context_live()) {
        bind_framebuffer(GL_FRAMEBUFFER, 0);
        GLuint buffers[2] = {drawable->colour, drawable->depth};
        delete_renderbuffers(2, buffers);
        delete_framebuffers(1, &drawable->framebuffer);
    }
    *drawable = GlDrawable{};
}

void drawable_bind(const GlDrawable* drawable)
{
    if (!bind_framebuffer)
        return; // nothing was ever made: the window's buffers are bound
    bind_framebuffer(GL_FRAMEBUFFER, drawable ? drawable->framebuffer : 0);
    if (!drawable)
        return;
#ifndef ELKA_GLES
    glDrawBuffer(GL_COLOR_ATTACHMENT0); // ES draws a framebuffer object's attachment 0 as it stands
#endif
    glReadBuffer(GL_COLOR_ATTACHMENT0);
}

void drawable_present(const GlDrawable* drawable, int output_width, int output_height)
{
    const PresentRect r = letterbox(drawable->width, drawable->height, output_width, output_height);
    bind_framebuffer(GL_READ_FRAMEBUFFER, drawable->framebuffer);
    bind_framebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // The bars: the whole back buffer black, without touching the clear
    // colour the scenes set.
    const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    clear_buffer(GL_COLOR, 0, black);
    // The letterbox counts rows from the top; GL from the bottom.
    const int bottom = output_height - r.y - r.height;
    if (r.width > 0 && r.height > 0)
        blit_framebuffer(0, 0, drawable->width, drawable->height, r.x, bottom, r.x + r.width, bottom + r.height,
                         GL_COLOR_BUFFER_BIT, GL_LINEAR);
    bind_framebuffer(GL_FRAMEBUFFER, drawable->framebuffer);
}
