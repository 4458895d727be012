// The sound layer's state, shared by its rules, its backend and the testing seam's queries of it
// (host.h). Nothing outside src/platform includes this but the
// testing seam.
#pragma once

#include "platform/fsound.h"

struct BackendSample;

struct FSOUND_SAMPLE {
    BackendSample* sound; // what the backend decoded
    FSOUND_SAMPLE* next;
};

struct SoundState {
    bool started = false;            // between a successful FSOUND_Init and FSOUND_Close
    int channel_count = 0;           // mixer channels allocated by FSOUND_Init
    FSOUND_SAMPLE* samples = nullptr; // every sample loaded since FSOUND_Init
    float reported_version = FSOUND_LAYER_VERSION; // what FSOUND_GetVersion says
    int last_error = FMOD_ERR_NONE;  // what FSOUND_GetError says
};
extern SoundState fsound_state;
