// What a library loaded into the capture is, for the timedemo's CPU table:
// part of GL and its drivers (any vendor's: the GL, EGL, GLX and GLES
// libraries and their dispatchers, Vulkan, the kernel's DRM, Mesa's
// drivers and compiler, NVIDIA's and AMD's own, and the window system's
// client libraries they draw through), or another library.
#pragma once

#include <cstddef>

// By its file name: the name patterns of the GL ABI's libraries and of the
// drivers behind them, whatever folder they were loaded from.
bool graphics_library_name(const char* path);

// By what it is: named as one, or needing (DT_NEEDED) a GL, EGL, GLES,
// Vulkan, DRM or vendor driver library, as a vendor's driver core loaded
// behind the dispatcher does. The window system's libraries count only by
// name: many a library needs libX11 without drawing.
bool graphics_library(const char* path, const char* const* needed, std::size_t needed_count);
