// The SDL backend's state: its video, its window's context, its sound
// device and its fonts, one struct for the whole backend. Without SDL's
// headers, for the programs that take the font or sound units alone.
#pragma once

#include "platform/backend.h"

#include <cstdint>

struct SDL_mutex;
struct _XDisplay; // Xlib's Display

// The sound device. Plain data only, as in the rules: the music player's
// destructor calls in here during the exit processing.
struct SdlSound {
    SDL_mutex* lock; // the channels, between the layer's callers and the mixer's thread
    SoundChannel* channels;
    int channel_count;
    std::uint16_t format; // SDL's audio format code
    int rate;
    int frame_bytes;
    // An output that plays as the wall clock runs, not a file written at
    // a pace of its own, nor one that drops what it is given.
    bool real_time;
    std::uint64_t frequency;
};

struct SdlBackendState {
    // The X server went away (killed, or the session ended): Xlib ends the
    // process from its I/O error handler, and every further call on the dead
    // connection would wait forever, SDL's own clean-up included.
    bool display_lost = false;
    int (*xlib_io_error_handler)(_XDisplay*) = nullptr;

    // The context that keeps the GL objects over the F1 toggle: made in the
    // share group of the window's context just before that one is deleted,
    // never current but for making the next window's context beside it, and
    // deleted at exit.
    void* keeper_context = nullptr; // an SDL_GLContext
    // SDL picks a window's pixel format (X visual, EGL config) when it makes the
    // window, from the GL attributes set at that moment. Every change of the
    // attributes starts a new generation; a window of an older one is made
    // again (still hidden) when its pixel format is set.
    unsigned pixel_generation = 0;
    int gl_attributes[11] = {};
    bool gl_attributes_set = false;

    SdlSound sound{};

    // fontconfig, started on the first font asked for.
    bool fontconfig_started = false;
    bool fontconfig_ready = false;
};
extern SdlBackendState& sdl_backend;
