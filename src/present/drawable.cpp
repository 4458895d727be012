// The drawable and its presentation. Framebuffer objects and the blit are
// not GL 1.1, so their entry points are looked up like any other
// extension's; in the ES and browser builds they are OpenGL ES 3.0's own,
// under the same names. Only the framebuffer bindings are touched: the
// state the scenes set (clear colour, viewport, blending) is the same after
// a present.
#include "present/drawable.h"

#include "present/letterbox.h"
#include "present/present_gl.h"
#include "present/present_state.h"

#ifdef ELKA_GLES
#include <GLES3/gl3.h>
#else
#include <GL/gl.h>
#include <GL/glext.h>
#endif

namespace {

template <typename T> bool look_up(T* function, const char* name)
{
    *function = present.given_gl.entry_point ? reinterpret_cast<T>(present.given_gl.entry_point(name)) : nullptr;
    return *function != nullptr;
}

bool context_live() { return present.given_gl.context_live && present.given_gl.context_live(); }

bool entry_points()
{
    if (present.looked)
        return present.found;
    present.looked = true;
    bool ok = look_up(&present.gen_framebuffers, "glGenFramebuffers");
    ok = look_up(&present.delete_framebuffers, "glDeleteFramebuffers") && ok;
    ok = look_up(&present.bind_framebuffer, "glBindFramebuffer") && ok;
    ok = look_up(&present.gen_renderbuffers, "glGenRenderbuffers") && ok;
    ok = look_up(&present.delete_renderbuffers, "glDeleteRenderbuffers") && ok;
    ok = look_up(&present.bind_renderbuffer, "glBindRenderbuffer") && ok;
    ok = look_up(&present.renderbuffer_storage, "glRenderbufferStorage") && ok;
    ok = look_up(&present.framebuffer_renderbuffer, "glFramebufferRenderbuffer") && ok;
    ok = look_up(&present.check_framebuffer_status, "glCheckFramebufferStatus") && ok;
    ok = look_up(&present.blit_framebuffer, "glBlitFramebuffer") && ok;
    ok = look_up(&present.clear_buffer, "glClearBufferfv") && ok;
    present.found = ok;
    return present.found;
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

void present_use_gl(const PresentGl& gl) { present.given_gl = gl; }

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
    present.gen_framebuffers(1, names);
    drawable->framebuffer = names[0];
    present.bind_framebuffer(GL_FRAMEBUFFER, drawable->framebuffer);
    present.gen_renderbuffers(2, names);
    drawable->colour = names[0];
    drawable->depth = names[1];
    // No alpha, like the window's own pixel format: destination alpha
    // stays out of every blend the scenes make.
    present.bind_renderbuffer(GL_RENDERBUFFER, drawable->colour);
    present.renderbuffer_storage(GL_RENDERBUFFER, GL_RGB8, width, height);
    present.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, drawable->colour);
    present.bind_renderbuffer(GL_RENDERBUFFER, drawable->depth);
    present.renderbuffer_storage(GL_RENDERBUFFER, depth_format(depth_bits), width, height);
    present.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, drawable->depth);
    present.bind_renderbuffer(GL_RENDERBUFFER, 0);
    if (present.check_framebuffer_status(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
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
        present.bind_framebuffer(GL_FRAMEBUFFER, 0);
        GLuint buffers[2] = {drawable->colour, drawable->depth};
        present.delete_renderbuffers(2, buffers);
        present.delete_framebuffers(1, &drawable->framebuffer);
    }
    *drawable = GlDrawable{};
}

void drawable_bind(const GlDrawable* drawable)
{
    if (!present.bind_framebuffer)
        return; // nothing was ever made: the window's buffers are bound
    present.bind_framebuffer(GL_FRAMEBUFFER, drawable ? drawable->framebuffer : 0);
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
    present.bind_framebuffer(GL_READ_FRAMEBUFFER, drawable->framebuffer);
    present.bind_framebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // The bars: the whole back buffer black, without touching the clear
    // colour the scenes set.
    const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    present.clear_buffer(GL_COLOR, 0, black);
    // The letterbox counts rows from the top; GL from the bottom.
    const int bottom = output_height - r.y - r.height;
    if (r.width > 0 && r.height > 0)
        present.blit_framebuffer(0, 0, drawable->width, drawable->height, r.x, bottom, r.x + r.width, bottom + r.height,
                                 GL_COLOR_BUFFER_BIT, GL_LINEAR);
    present.bind_framebuffer(GL_FRAMEBUFFER, drawable->framebuffer);
}
