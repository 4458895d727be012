// The page's GL: WebGL 2, which emscripten offers as OpenGL ES 3.0, drawn
// through the GL 1.1 subset layer (src/gles) as in the ES build.
#include "platform/backend.h"

#include <GLES3/gl3.h>
#include <emscripten/html5_webgl.h>

#include <cstring>

// A canvas always has a back buffer, shown when the page is composited.
bool gl_profile_context_live() { return emscripten_webgl_get_current_context() != 0; }

// WebGL 2 has all of ES 3.0's framebuffer and buffer calls, linked in as
// they are; looked up by name only for the units that the desktop's GL
// also serves.
void* gl_profile_entry_point(const char* name)
{
    struct Entry {
        const char* name;
        void* function;
    };
    static const Entry entries[] = {
        {"glGenFramebuffers", reinterpret_cast<void*>(&glGenFramebuffers)},
        {"glDeleteFramebuffers", reinterpret_cast<void*>(&glDeleteFramebuffers)},
        {"glBindFramebuffer", reinterpret_cast<void*>(&glBindFramebuffer)},
        {"glGenRenderbuffers", reinterpret_cast<void*>(&glGenRenderbuffers)},
        {"glDeleteRenderbuffers", reinterpret_cast<void*>(&glDeleteRenderbuffers)},
        {"glBindRenderbuffer", reinterpret_cast<void*>(&glBindRenderbuffer)},
        {"glRenderbufferStorage", reinterpret_cast<void*>(&glRenderbufferStorage)},
        {"glFramebufferRenderbuffer", reinterpret_cast<void*>(&glFramebufferRenderbuffer)},
        {"glCheckFramebufferStatus", reinterpret_cast<void*>(&glCheckFramebufferStatus)},
        {"glBlitFramebuffer", reinterpret_cast<void*>(&glBlitFramebuffer)},
        {"glClearBufferfv", reinterpret_cast<void*>(&glClearBufferfv)},
    };
    for (const Entry& entry : entries)
        if (std::strcmp(entry.name, name) == 0)
            return entry.function;
    return nullptr;
}
