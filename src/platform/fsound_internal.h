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

namespace fsound_state {
extern bool started;         // between a successful FSOUND_Init and FSOUND_Close
extern int channel_count;    // mixer channels allocated by FSOUND_Init
extern FSOUND_SAMPLE* samples; // every sample loaded since FSOUND_Init
extern float reported_version; // what FSOUND_GetVersion says
} // namespace fsound_state
