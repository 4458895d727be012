// The sound layer: the few calls of a classic sound library that the music
// player makes, written once over each backend's device (backend.h).
#pragma once

struct FSOUND_SAMPLE;

float FSOUND_GetVersion();
signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int length);
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample);
signed char FSOUND_StopSound(int channel);
// Pauses a channel where it is, or plays it on from there.
signed char FSOUND_SetPaused(int channel, signed char paused);
// Puts a channel's sample at `offset` frames of the output's rate: a
// playing channel is heard from there at once, a paused one goes on from
// there.
signed char FSOUND_SetCurrentPosition(int channel, unsigned int offset);
// The output's frames a second; 0 before FSOUND_Init.
int FSOUND_GetOutputRate();
void FSOUND_Close();
int FSOUND_GetError();

// The version this layer reports.
constexpr float FSOUND_LAYER_VERSION = 3.33f;

// "No fixed sample slot / channel: the layer picks one."
constexpr int FSOUND_FREE = -1;

// Codes of FSOUND_GetError.
enum FSOUND_ERRORS {
    FMOD_ERR_NONE = 0,
    FMOD_ERR_BUSY = 1,          // the layer is already started
    FMOD_ERR_UNINITIALIZED = 2, // the call needs FSOUND_Init first
    FMOD_ERR_INIT = 3,          // no output device could be opened
    FMOD_ERR_FILE_NOTFOUND = 9,
    FMOD_ERR_FILE_FORMAT = 10,  // not a format the layer decodes
    FMOD_ERR_FILE_BAD = 11,     // the file cannot be read or is damaged
    FMOD_ERR_MEMORY = 12,
    FMOD_ERR_INVALID_PARAM = 14,
    FMOD_ERR_CHANNEL_ALLOC = 17,
};
