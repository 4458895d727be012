// The sound layer: the few calls of a classic sound library that the music
// player makes, written here on SDL2_mixer.
#pragma once

struct FSOUND_SAMPLE;

float FSOUND_GetVersion();
signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int length);
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample);
signed char FSOUND_StopSound(int channel);
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

// Tests: make FSOUND_GetVersion report `version` from now on, so that an
// older library can be tried; fsound_restore_version goes back to the layer's own.
void fsound_set_reported_version(float version);
void fsound_restore_version();

// True between a successful FSOUND_Init and FSOUND_Close.
bool fsound_started();
// Samples the layer holds (freed by FSOUND_Close).
int fsound_sample_count();
// True while `channel` is playing.
bool fsound_channel_playing(int channel);
// Length of a loaded sample in sample frames, and its decoded data as the
// device plays it (interleaved 16-bit or whatever the device asked for);
// for tests that compare what was played with what was loaded.
int fsound_sample_frames(const FSOUND_SAMPLE* sample);
const unsigned char* fsound_sample_bytes(const FSOUND_SAMPLE* sample, int* byte_count);
// Output format of the open device: rate, channels, SDL audio format code.
bool fsound_output_format(int* rate, int* channels, unsigned short* format);
