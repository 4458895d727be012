// The timedemo's CPU table files a loaded library under GL, its drivers
// and the window system, or under other libraries: held here against the
// paths real systems load them from (Debian's Mesa and glvnd, NVIDIA's
// driver, AMD's and Intel's).
#include "library_kind.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LibraryKind, EveryVendorsGlAndDriverLibrariesAreGraphics)
{
    const char* const graphics[] = {
        // glvnd's dispatchers and the GL ABI's names
        "/usr/lib/x86_64-linux-gnu/libGL.so.1", "/usr/lib/x86_64-linux-gnu/libGLX.so.0",
        "/usr/lib/x86_64-linux-gnu/libGLdispatch.so.0", "/usr/lib/x86_64-linux-gnu/libOpenGL.so.0",
        "/usr/lib/x86_64-linux-gnu/libEGL.so.1", "/usr/lib/x86_64-linux-gnu/libGLESv2.so.2",
        "/usr/lib/x86_64-linux-gnu/libGLESv1_CM.so.1", "/usr/lib/x86_64-linux-gnu/libGLU.so.1",
        // Mesa
        "/usr/lib/x86_64-linux-gnu/libGLX_mesa.so.0", "/usr/lib/x86_64-linux-gnu/libEGL_mesa.so.0",
        "/usr/lib/x86_64-linux-gnu/libglapi.so.0", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
        "/usr/lib/x86_64-linux-gnu/dri/iris_dri.so", "/usr/lib/x86_64-linux-gnu/dri/radeonsi_dri.so",
        "/usr/lib/x86_64-linux-gnu/libgallium-24.2.8-1.so", "/usr/lib/x86_64-linux-gnu/libLLVM-15.so.1",
        "/usr/lib/x86_64-linux-gnu/libgbm.so.1", "/usr/lib/x86_64-linux-gnu/libvulkan_lvp.so",
        "/usr/lib/x86_64-linux-gnu/libvulkan.so.1",
        // the kernel's DRM
        "/usr/lib/x86_64-linux-gnu/libdrm.so.2", "/usr/lib/x86_64-linux-gnu/libdrm_amdgpu.so.1",
        "/usr/lib/x86_64-linux-gnu/libdrm_intel.so.1",
        // NVIDIA's
        "/usr/lib/x86_64-linux-gnu/libnvidia-glcore.so.535.104.05",
        "/usr/lib/x86_64-linux-gnu/libnvidia-eglcore.so.535.104.05", "/usr/lib/x86_64-linux-gnu/libGLX_nvidia.so.0",
        "/usr/lib/x86_64-linux-gnu/libEGL_nvidia.so.0", "/usr/lib/x86_64-linux-gnu/libnvidia-glsi.so.535.104.05",
        "/usr/lib/x86_64-linux-gnu/libnvidia-tls.so.535.104.05",
        "/usr/lib/x86_64-linux-gnu/libnvidia-glvkspirv.so.550.54.14",
        "/usr/lib/x86_64-linux-gnu/libnvidia-gpucomp.so.550.54.14", "/usr/lib64/libnvidia-egl-wayland.so.1",
        "/usr/lib/x86_64-linux-gnu/libnvidia-egl-gbm.so.1.1.0", "/usr/lib/x86_64-linux-gnu/libcuda.so.1",
        // AMD's and Intel's own
        "/opt/amdgpu-pro/lib/x86_64-linux-gnu/libGL.so.1", "/opt/amdgpu/lib/x86_64-linux-gnu/dri/amdgpu_dri.so",
        "/usr/lib/x86_64-linux-gnu/amdvlk64.so", "/usr/lib/x86_64-linux-gnu/libvulkan_radeon.so",
        "/usr/lib/x86_64-linux-gnu/libvulkan_intel.so", "/usr/lib/x86_64-linux-gnu/dri/crocus_dri.so",
        // the window system they present through
        "/usr/lib/x86_64-linux-gnu/libxcb.so.1", "/usr/lib/x86_64-linux-gnu/libxcb-dri3.so.0",
        "/usr/lib/x86_64-linux-gnu/libX11.so.6", "/usr/lib/x86_64-linux-gnu/libX11-xcb.so.1",
        "/usr/lib/x86_64-linux-gnu/libwayland-client.so.0", "/usr/lib/x86_64-linux-gnu/libxshmfence.so.1",
        // a bare name, as a library loaded by name alone may be listed
        "libEGL_nvidia.so.0",
    };
    for (const char* path : graphics) {
        EXPECT_TRUE(graphics_library_name(path)) << path;
        EXPECT_TRUE(graphics_library(path, nullptr, 0)) << path;
    }
}

TEST(LibraryKind, OtherLibrariesAreNot)
{
    const char* const others[] = {
        "/lib/x86_64-linux-gnu/libc.so.6", "/lib/x86_64-linux-gnu/libm.so.6",
        "/lib/x86_64-linux-gnu/libstdc++.so.6", "/lib/x86_64-linux-gnu/libgcc_s.so.1",
        "/lib64/ld-linux-x86-64.so.2", "linux-vdso.so.1",
        "/usr/lib/x86_64-linux-gnu/libSDL2-2.0.so.0", "/usr/lib/x86_64-linux-gnu/libSDL2_mixer-2.0.so.0",
        "/usr/lib/x86_64-linux-gnu/libfreetype.so.6", "/usr/lib/x86_64-linux-gnu/libfontconfig.so.1",
        "/usr/lib/x86_64-linux-gnu/libglib-2.0.so.0", "/usr/lib/x86_64-linux-gnu/libpng16.so.16",
        "/usr/lib/x86_64-linux-gnu/libpulse.so.0", "/usr/lib/x86_64-linux-gnu/libasound.so.2",
        // a folder's name says nothing of what is in it
        "/opt/nvidia-tools/lib/libz.so.1", "/opt/glx-tools/libEGLfolder/libexpat.so.1", "",
    };
    for (const char* path : others) {
        EXPECT_FALSE(graphics_library_name(path)) << path;
        EXPECT_FALSE(graphics_library(path, nullptr, 0)) << path;
    }
    EXPECT_FALSE(graphics_library_name(nullptr));
}

TEST(LibraryKind, ALibraryThatNeedsGlOrADriverIsGraphicsWhateverItsName)
{
    // A vendor's driver core behind the dispatcher, under a name of its own.
    const char* const glx_vendor[] = {"libGLdispatch.so.0", "libc.so.6"};
    EXPECT_TRUE(graphics_library("/usr/lib/x86_64-linux-gnu/libGLX_acme.so.0", glx_vendor, 2));
    const char* const driver[] = {"libm.so.6", "libdrm.so.2"};
    EXPECT_TRUE(graphics_library("/opt/vendor/lib/libvendor-core.so.1", driver, 2));
    const char* const egl[] = {"/usr/lib/x86_64-linux-gnu/libEGL.so.1"};
    EXPECT_TRUE(graphics_library("/usr/lib/x86_64-linux-gnu/libsomething.so", egl, 1));
    // Needing the window system alone does not make a library a driver's.
    const char* const window_only[] = {"libX11-xcb.so.1", "libxcb.so.1", "libc.so.6"};
    EXPECT_FALSE(graphics_library("/usr/lib/x86_64-linux-gnu/pulseaudio/libpulsecommon-16.1.so", window_only, 3));
    const char* const plain[] = {"libc.so.6", "libm.so.6"};
    EXPECT_FALSE(graphics_library("/usr/lib/x86_64-linux-gnu/libfreetype.so.6", plain, 2));
}

} // namespace
