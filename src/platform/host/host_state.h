// The host library's state: the window system's testing seam (failures to
// inject, the call log, the loop's observer, the box hook) and the capture
// tool's offscreen target, in one place, so that a new run is one
// assignment of HostState{}.
#pragma once

#include "platform/host.h"
#include "present/drawable.h"

#ifdef ELKA_GLES
#include <GLES3/gl3.h>
#else
#include <GL/gl.h>
#include <GL/glext.h>
#endif

#include <cstdint>
#include <string>
#include <vector>

struct HostState {
    bool failing[static_cast<int>(PlatformStep::count)] = {};
    std::vector<const char*> call_log;
    const LoopObserver* loop_observer = nullptr;
    MessageBoxHook box_hook;

    // Buffer objects are not GL 1.1: their entry points are looked up like
    // any other extension's.
    PFNGLGENBUFFERSPROC gen_buffers = nullptr;
    PFNGLDELETEBUFFERSPROC delete_buffers = nullptr;
    PFNGLBINDBUFFERPROC bind_buffer = nullptr;
    PFNGLBUFFERDATAPROC buffer_data = nullptr;
    PFNGLMAPBUFFERRANGEPROC map_buffer_range = nullptr;
    PFNGLUNMAPBUFFERPROC unmap_buffer = nullptr;

    GlDrawable target;    // the one kind of drawable the window's presenter shows too
    GlDrawable sink;      // the frames whose pixels are not kept
    bool sinking = false; // the sink is bound
    int target_width = 0;
    int target_height = 0;
    int output_width = 0; // the frames read back: the target centred on black
    int output_height = 0;
    std::vector<std::uint8_t> scratch;
    std::vector<GLuint> pack_buffers;
    std::string renderer_name;
};

extern HostState host;
