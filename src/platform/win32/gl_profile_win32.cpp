// The GL context on Windows: the system's OpenGL (opengl32.dll and whatever
// driver is behind it), its entry points beyond GL 1.1 through WGL.
#include "platform/win32/win32.h"

#include "platform/backend.h"

#include <GL/gl.h>

#include <cstdint>

bool gl_profile_context_live() { return wglGetCurrentContext() != nullptr; }

void* gl_profile_entry_point(const char* name)
{
    // wglGetProcAddress knows only what is beyond GL 1.1, and some drivers
    // answer a missing name with 1, 2, 3 or -1 instead of null.
    PROC found = wglGetProcAddress(name);
    const auto value = reinterpret_cast<std::intptr_t>(found);
    if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1)
        found = GetProcAddress(GetModuleHandleA("opengl32.dll"), name);
    return reinterpret_cast<void*>(found);
}
