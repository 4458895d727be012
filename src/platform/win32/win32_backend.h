// The Win32 backend's state: its video, its window's context, its sound
// device and its fonts, one struct for the whole backend.
#pragma once

#include "platform/win32/win32.h"

#include <mmsystem.h>

#include "platform/backend.h"

#include <cstdint>
#include <string>
#include <vector>

// The waveOut device and its mixer. Plain data only, as in the rules: the
// music player's destructor calls in here during the exit processing.
struct Win32Sound {
    // Four buffers of about 23 ms at 44100 Hz: short enough that a sound
    // starts soon after it is played, long enough that a busy frame does not
    // starve the device.
    static constexpr int buffer_count = 4;
    static constexpr int buffer_frames = 1024;

    HWAVEOUT out;
    HANDLE returned; // set by waveOut as each buffer comes back, and by closing
    HANDLE mixer;
    volatile LONG closing;
    CRITICAL_SECTION lock; // the channels, between the layer's callers and the mixer
    SoundChannel* channels;
    int channel_count;
    int rate;
    LONGLONG frequency;
    DWORD written; // frames handed to waveOut, as its position counts them (modulo 2^32)
    WAVEHDR headers[buffer_count];
    std::int16_t pcm[buffer_count][buffer_frames * 2];
    int sum[buffer_frames * 2];
};

struct Win32BackendState {
    bool class_registered = false; // the demo's window class, while video runs
    bool cursor_shown = true;      // over the window, as the rules' count says
    bool exit_hook = false;        // video ends at process exit

    // The context that keeps the GL objects over the F1 toggle: made beside the
    // window's context just before that one is deleted, sharing its lists and
    // textures, never current, and deleted when video ends. A WGL context
    // belongs to no window, so it outlives the one it was made on.
    HGLRC keeper_context = nullptr;

    Win32Sound sound{};
};
extern Win32BackendState& win32_backend;
