// The sound layer's state, shared with the testing seam's queries of it
// (platform_testing.h). Nothing outside src/platform includes this but the
// testing seam.
#pragma once

#include "platform/fsound.h"

struct Mix_Chunk;

struct FSOUND_SAMPLE {
    Mix_Chunk* chunk;
    FSOUND_SAMPLE* next;
};

struct SoundState {
    bool started = false;            // between a successful FSOUND_Init and FSOUND_Close
    int channel_count = 0;           // mixer channels allocated by FSOUND_Init
    FSOUND_SAMPLE* samples = nullptr; // every sample loaded since FSOUND_Init
    float reported_version = FSOUND_LAYER_VERSION; // what FSOUND_GetVersion says
};
extern SoundState fsound_state;
