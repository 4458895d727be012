// The sound layer's state, shared by its rules, its backend and the testing seam's queries of it
// (host.h). Nothing outside src/platform includes this but the
// testing seam.
#pragma once

#include "platform/fsound.h"

#include <cstdint>

struct BackendSample;

struct FSOUND_SAMPLE {
    BackendSample* sound; // what the backend decoded
    FSOUND_SAMPLE* next;
};

// What the layer knows of a channel it played a sample on: enough to pause
// it and to play it on from a place.
struct ChannelPlace {
    FSOUND_SAMPLE* sample = nullptr; // null: nothing played here since a stop
    bool paused = false;
    double from_seconds = 0.0;    // its place in the sample when last played or paused
    std::int64_t played_at = 0;   // the wall clock then (steady, in nanoseconds)
};

struct SoundState {
    bool started = false;            // between a successful FSOUND_Init and FSOUND_Close
    int channel_count = 0;           // mixer channels allocated by FSOUND_Init
    int mix_rate = 0;                // the output's frames a second
    ChannelPlace* places = nullptr;  // channel_count of them while started
    FSOUND_SAMPLE* samples = nullptr; // every sample loaded since FSOUND_Init
    float reported_version = FSOUND_LAYER_VERSION; // what FSOUND_GetVersion says
    int last_error = FMOD_ERR_NONE;  // what FSOUND_GetError says
};
extern SoundState fsound_state;
