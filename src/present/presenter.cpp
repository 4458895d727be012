// The presenting policy and the read-back.
#include "present/presenter.h"

#ifdef ELKA_GLES
#include <GLES3/gl3.h>
#else
#include <GL/gl.h>
#endif

bool presenter_follow(GlDrawable* drawable, int want_width, int want_height, int pixels_width, int pixels_height,
                      bool buffers_complete, int depth_bits, const char** error)
{
    if (want_width < 1 || want_height < 1 || pixels_width < 1 || pixels_height < 1)
        return true; // minimised: the drawable keeps its size until the window has one again
    if (want_width == pixels_width && want_height == pixels_height && buffers_complete) {
        // Drawn straight into the window. Only a drawable of the presenter's
        // own is let go here: the capture tool binds a target of its own.
        if (drawable->framebuffer)
            drawable_destroy(drawable);
        return true;
    }
    if (drawable->framebuffer && drawable->width == want_width && drawable->height == want_height)
        return true;
    if (drawable->framebuffer)
        drawable_destroy(drawable);
    return drawable_create(drawable, want_width, want_height, depth_bits, error);
}

bool presenter_sink_bind(GlDrawable* sink, const char** error)
{
    *error = nullptr;
    if (!sink->framebuffer)
        return drawable_create(sink, 1, 1, 16, error); // and binds it
    drawable_bind(sink);
    return true;
}

void presenter_read_back(int width, int height, unsigned char* rgba)
{
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}
