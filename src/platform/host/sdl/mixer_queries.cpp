// Queries of the sound layer on SDL's mixer for tests: the samples' decoded
// data, the channels playing and the output format.
#include "platform/host.h"

#include "platform/fsound_internal.h"
#include "platform/sdl/sdl_sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

bool fsound_channel_playing(int channel)
{
    return fsound_state.started && channel >= 0 && channel < fsound_state.channel_count && sdl_sound_channel_playing(channel);
}

bool fsound_output_format(int* rate, int* channels, unsigned short* format)
{
    int r = 0, c = 0;
    Uint16 f = 0;
    if (!fsound_state.started || Mix_QuerySpec(&r, &f, &c) == 0)
        return false;
    *rate = r;
    *channels = c;
    *format = f;
    return true;
}

int fsound_sample_frames(const FSOUND_SAMPLE* sample)
{
    int rate = 0, channels = 0;
    unsigned short format = 0;
    if (!sample || !fsound_output_format(&rate, &channels, &format))
        return 0;
    int frame_bytes = static_cast<int>(SDL_AUDIO_BITSIZE(format) / 8) * channels;
    return frame_bytes > 0 ? static_cast<int>(sample->sound->chunk->alen / static_cast<Uint32>(frame_bytes)) : 0;
}

const unsigned char* fsound_sample_bytes(const FSOUND_SAMPLE* sample, int* byte_count)
{
    if (!sample) {
        *byte_count = 0;
        return nullptr;
    }
    *byte_count = static_cast<int>(sample->sound->chunk->alen);
    return sample->sound->chunk->abuf;
}
