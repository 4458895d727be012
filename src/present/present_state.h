// The present layer's state: the GL the platform handed over and the
// framebuffer entry points looked up through it, in one place. They are
// looked up once per process, so a new run keeps them (system_reset.cpp).
#pragma once

#include "present/present_gl.h"

#ifdef ELKA_GLES
#include <GLES3/gl3.h>
#else
#include <GL/gl.h>
#include <GL/glext.h>
#endif

struct PresentState {
    PresentGl given_gl;
    // Framebuffer objects and the blit are not GL 1.1: looked up like any
    // other extension's entry points.
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
    // Looked up once per process: one driver serves every context made.
    bool looked = false, found = false;
};

extern PresentState present;
