// The build's kind of GL as the window rules see it: the system's OpenGL,
// or OpenGL ES 3.0 under the layer of src/gles (the ES build and the page),
// which batches what is drawn and must hand it over before a frame is
// shown or read, and frees its objects with their context.
#include "platform/window_internal.h"

#ifdef ELKA_GLES
#include "gles/gles_layer.h"

#include <GLES3/gl3.h>
#else
#include <GL/gl.h>
#endif

void gl_profile_finish_drawing()
{
#ifdef ELKA_GLES
    gles_flush();
#endif
}

void gl_profile_context_deleted(bool share_group_lives)
{
#ifdef ELKA_GLES
    gles_context_deleted(share_group_lives);
#else
    (void)share_group_lives;
#endif
}

void gl_profile_wait_for_frame() { glFinish(); }
