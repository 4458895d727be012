// The sound layer's device, decoder and channels on SDL2_mixer: it opens
// the audio device and decodes whole files (Mix_LoadWAV handles MP3 among
// others); the channels are mixed here, in the mixer's music hook, so that
// each keeps a place of its own that moves on with the wall clock
// (song_clock.h). Added at full volume in channel order, as the mixer
// adds its own channels, an undisturbed song comes out sample for sample
// as decoded.
//
// Plain data only, as in the rules: the music player's destructor calls in
// here during the exit processing.
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/sdl_sound.h"
#include "platform/song_clock.h"
#include "platform/backend.h"

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

// SDL's disk driver writes what is mixed to a file and its dummy driver
// drops it: no one hears either as it plays.
bool plays_in_real_time(const char* driver)
{
    return driver && std::strcmp(driver, "disk") != 0 && std::strcmp(driver, "dummy") != 0;
}

void SDLCALL mix_channels(void*, Uint8* stream, int len)
{
    SdlSound& sound = sdl_backend.sound;
    const Uint64 now = SDL_GetPerformanceCounter();
    const int frames = len / sound.frame_bytes;
    // What is mixed now is heard once the device has played what it holds
    // ahead of it, one buffer of this size (SDL tells nothing of what a
    // sound server adds beyond it); a frame, too, shows the state of the
    // tick before it and reaches the screen a frame or so after. Measured
    // end to end on the sync rig, the two are alike: the song is kept on
    // the wall clock itself, with no lead (one buffer's lead had it heard
    // 26 to 40 ms before its picture).
    const double lead = 0.0;
    SDL_LockMutex(sound.lock);
    for (int c = 0; c < sound.channel_count; ++c) {
        SoundChannel& channel = sound.channels[c];
        if (!channel.sample)
            continue;
        const Mix_Chunk* chunk = channel.sample->chunk;
        const std::int64_t length = chunk->alen / static_cast<Uint32>(sound.frame_bytes);
        std::int64_t wait = 0;
        if (sound.real_time) {
            const double elapsed = song_clock_seconds(channel.played_at, static_cast<std::int64_t>(now),
                                                      static_cast<std::int64_t>(sound.frequency));
            // SDL asks for each buffer as the device needs it: a late one
            // is a device that ran dry.
            const std::int64_t step = song_clock_step(&channel.clock, elapsed, lead, sound.rate, 1);
            wait = step < 0 ? (-step < frames ? -step : frames) : 0;
        }
        const std::int64_t at = channel.clock.position < length ? channel.clock.position : length;
        const std::int64_t n = length - at < frames - wait ? length - at : frames - wait;
        SDL_MixAudioFormat(stream + wait * sound.frame_bytes, chunk->abuf + at * sound.frame_bytes, sound.format,
                           static_cast<Uint32>(n * sound.frame_bytes), SDL_MIX_MAXVOLUME);
        channel.clock.position = at;
        song_clock_mixed(&channel.clock, n);
        if (channel.clock.position >= length)
            channel.sample = nullptr; // played to its end: free for the next sound
    }
    SDL_UnlockMutex(sound.lock);
}

void release()
{
    SdlSound& sound = sdl_backend.sound;
    if (sound.lock)
        SDL_DestroyMutex(sound.lock);
    SDL_free(sound.channels);
    std::memset(&sound, 0, sizeof sound);
}

} // namespace

bool sdl_sound_channel_playing(int channel)
{
    SdlSound& sound = sdl_backend.sound;
    if (!sound.lock || channel < 0 || channel >= sound.channel_count)
        return false;
    SDL_LockMutex(sound.lock);
    const bool playing = sound.channels[channel].sample != nullptr;
    SDL_UnlockMutex(sound.lock);
    return playing;
}

int backend_sound_open(int rate, int channels)
{
    SdlSound& sound = sdl_backend.sound;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return 0;
    // Decoders that are loaded on demand; a missing one only narrows the
    // formats that load.
    Mix_Init(MIX_INIT_MP3 | MIX_INIT_OGG | MIX_INIT_FLAC);
    std::memset(&sound, 0, sizeof sound);
    int obtained_rate = 0, obtained_channels = 0;
    Uint16 format = 0;
    if (Mix_OpenAudio(rate, AUDIO_S16SYS, 2, buffer_frames) != 0) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    Mix_QuerySpec(&obtained_rate, &format, &obtained_channels);
    sound.lock = SDL_CreateMutex();
    sound.channels = static_cast<SoundChannel*>(SDL_calloc(static_cast<std::size_t>(channels), sizeof(SoundChannel)));
    sound.frame_bytes = static_cast<int>(SDL_AUDIO_BITSIZE(format) / 8) * obtained_channels;
    if (!sound.lock || !sound.channels || sound.frame_bytes <= 0 || obtained_rate <= 0) {
        release();
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    sound.channel_count = channels;
    sound.format = format;
    sound.rate = obtained_rate;
    sound.real_time = plays_in_real_time(SDL_GetCurrentAudioDriver());
    sound.frequency = SDL_GetPerformanceFrequency();
    Mix_HookMusic(mix_channels, nullptr);
    return channels;
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

int backend_sound_play(int channel, BackendSample* sample, int, double from_seconds)
{
    SdlSound& sound = sdl_backend.sound;
    const std::int64_t now = static_cast<std::int64_t>(SDL_GetPerformanceCounter()) -
                             song_clock_counts(from_seconds, static_cast<std::int64_t>(SDL_GetPerformanceFrequency()));
    SDL_LockMutex(sound.lock);
    channel = sound_channel_to_play(sound.channels, sound.channel_count, channel);
    if (channel >= 0)
        sound.channels[channel] = SoundChannel{sample, SongClock{}, now};
    SDL_UnlockMutex(sound.lock);
    return channel;
}

void backend_sample_free(BackendSample* sample)
{
    if (!sample) {
        Mix_HookMusic(nullptr, nullptr);
        Mix_CloseAudio();
        release();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    SdlSound& sound = sdl_backend.sound;
    if (sound.lock) {
        // Not mixed again once freed, whatever channel still had it.
        SDL_LockMutex(sound.lock);
        for (int c = 0; c < sound.channel_count; ++c)
            if (sound.channels[c].sample == sample)
                sound.channels[c].sample = nullptr;
        SDL_UnlockMutex(sound.lock);
    }
    Mix_FreeChunk(sample->chunk);
    SDL_free(sample);
}

void backend_sound_error(int) { }
