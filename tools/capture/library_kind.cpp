// The patterns of graphics libraries, matched on the file name alone
// (a folder of /opt or a versioned suffix says nothing of what it is).
#include "library_kind.h"

#include <cstring>

namespace {

const char* base_name(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

bool starts_with(const char* s, const char* prefix) { return std::strncmp(s, prefix, std::strlen(prefix)) == 0; }

// GL's libraries and their drivers: libGL, libGLX*, libGLdispatch,
// libGLESv1_CM, libGLESv2, libGLU (all "libGL"), libEGL*, libOpenGL;
// Mesa's libglapi, libgallium*, libgbm, its drivers' *_dri.so and LLVM,
// which compiles llvmpipe's shaders; the kernel's libdrm*; Vulkan's loader
// and drivers (libvulkan_*, AMD's amdvlk); NVIDIA's libnvidia-* and its
// libraries under the GL ABI's names (libGLX_nvidia, libEGL_nvidia).
bool driver_name(const char* name)
{
    static const char* const prefixes[] = {"libGL",  "libEGL",    "libOpenGL", "libglapi", "libgallium", "libgbm",
                                           "libdrm", "libvulkan", "libLLVM",   "amdvlk",   "libnvidia-", "libcuda"};
    for (const char* prefix : prefixes)
        if (starts_with(name, prefix))
            return true;
    return std::strstr(name, "_dri.so") != nullptr || std::strstr(name, "nvidia") != nullptr;
}

// The window system's client libraries a driver presents through.
bool window_system_name(const char* name)
{
    static const char* const prefixes[] = {"libxcb", "libX11", "libXext", "libXfixes", "libxshmfence", "libwayland"};
    for (const char* prefix : prefixes)
        if (starts_with(name, prefix))
            return true;
    return false;
}

} // namespace

bool graphics_library_name(const char* path)
{
    if (!path || !*path)
        return false;
    const char* name = base_name(path);
    return driver_name(name) || window_system_name(name);
}

bool graphics_library(const char* path, const char* const* needed, std::size_t needed_count)
{
    if (graphics_library_name(path))
        return true;
    for (std::size_t i = 0; i < needed_count; ++i)
        if (needed[i] && driver_name(base_name(needed[i])))
            return true;
    return false;
}
