// The build's kind of GL context. The ES build asks for OpenGL ES 3.0 (Mesa
// gives it over EGL, also on the offscreen driver) and draws through the
// layer in src/gles; the ordinary build keeps SDL's default, a desktop
// OpenGL context with the compatibility profile.
#include "platform/backend.h"
#include "platform/sdl/sdl_window.h"

#include <SDL.h>

#ifdef ELKA_GLES
#include <EGL/egl.h>
#include <GLES3/gl3.h>
#else
#include <GL/gl.h>
#endif

bool sdl_gl_profile_request()
{
#ifdef ELKA_GLES
    return SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES) == 0 &&
           SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3) == 0 &&
           SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0) == 0;
#else
    return true;
#endif
}

bool sdl_single_buffered(bool asked_single)
{
#ifdef ELKA_GLES
    // ES has no GL_DOUBLEBUFFER query. EGL says which buffer its context
    // draws to; an ES context SDL made through GLX (X11) is as asked.
    EGLint buffer = 0;
    if (eglGetCurrentContext() == EGL_NO_CONTEXT ||
        !eglQueryContext(eglGetCurrentDisplay(), eglGetCurrentContext(), EGL_RENDER_BUFFER, &buffer))
        return asked_single;
    return buffer == EGL_SINGLE_BUFFER;
#else
    (void)asked_single;
    GLboolean doubled = GL_TRUE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubled);
    return doubled == GL_FALSE;
#endif
}

bool gl_profile_context_live() { return SDL_GL_GetCurrentContext() != nullptr; }

void* gl_profile_entry_point(const char* name) { return SDL_GL_GetProcAddress(name); }
