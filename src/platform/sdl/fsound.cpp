// The sound layer's device, decoder and channels on SDL2_mixer: it opens
// the audio device, decodes whole files (Mix_LoadWAV handles MP3 among
// others) and plays them on mixer channels.
//
// Plain data only, as in the rules: the music player's destructor calls in
// here during the exit processing.
#include "platform/sdl/sdl_sound.h"
#include "platform/sound_backend.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstring>

namespace {

// Device buffer in sample frames: about 23 ms at 44100 Hz.
constexpr int buffer_frames = 1024;

bool is_out_of_memory_error()
{
    const char* error = SDL_GetError();
    return error && std::strstr(error, "Out of memory") != nullptr;
}

} // namespace

int backend_sound_open(int rate, int channels)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return 0;
    // Decoders that are loaded on demand; a missing one only narrows the
    // formats that load.
    Mix_Init(MIX_INIT_MP3 | MIX_INIT_OGG | MIX_INIT_FLAC);
    if (Mix_OpenAudio(rate, AUDIO_S16SYS, 2, buffer_frames) != 0) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    return Mix_AllocateChannels(channels);
}

DecodeResult backend_sound_decode(const unsigned char* bytes, std::size_t size, BackendSample** sample)
{
    auto* made = static_cast<BackendSample*>(SDL_malloc(sizeof(BackendSample)));
    if (!made)
        return DecodeResult::no_memory;
    SDL_ClearError();
    SDL_RWops* stream = SDL_RWFromConstMem(bytes, static_cast<int>(size));
    made->chunk = stream ? Mix_LoadWAV_RW(stream, 1) : nullptr;
    if (!made->chunk) {
        SDL_free(made);
        return !stream || is_out_of_memory_error() ? DecodeResult::no_memory : DecodeResult::undecodable;
    }
    *sample = made;
    return DecodeResult::decoded;
}

int backend_sound_play(int channel, BackendSample* sample, int) { return Mix_PlayChannel(channel, sample->chunk, 0); }

void backend_sound_stop(int channel) { Mix_HaltChannel(channel); }

void backend_sound_halt() { Mix_HaltChannel(-1); }

void backend_sample_free(BackendSample* sample)
{
    Mix_FreeChunk(sample->chunk);
    SDL_free(sample);
}

void backend_sound_close()
{
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void backend_sound_error(int) { }
