// The sound layer's rules, the same on every backend: its argument checks,
// the samples it holds, the code of the last failure and the version it
// reports. A song is read whole through one open of a regular file (what
// was checked is what is decoded) and handed to the backend to decode.
//
// Everything here is plain data with no destructor: the music player is a
// static object whose destructor calls in here during the exit processing,
// possibly after other static objects of the process are gone.
#include "platform/fsound.h"

#include "platform/audio_signature.h"
#include "platform/fsound_internal.h"
#include "platform/media_files.h"
#include "platform/media_files_internal.h"
#include "platform/backend.h"

#include <chrono>
#include <cstdlib>

SoundState fsound_state;

namespace {

constexpr int max_channels = 4096;

void set_error(int code)
{
    fsound_state.last_error = code;
    backend_sound_error(code);
}

template <typename T> T fail(int code, T result)
{
    set_error(code);
    return result;
}

FSOUND_SAMPLE* fail_load(int code) { return fail(code, static_cast<FSOUND_SAMPLE*>(nullptr)); }

bool is_loaded(const FSOUND_SAMPLE* sample)
{
    for (const FSOUND_SAMPLE* s = fsound_state.samples; s; s = s->next)
        if (s == sample)
            return true;
    return false;
}

// The error a file that would not read gets.
int read_error(MediaRead result)
{
    switch (result) {
    case MediaRead::missing: return FMOD_ERR_FILE_NOTFOUND;
    case MediaRead::empty: return FMOD_ERR_FILE_FORMAT; // of no known kind, as a decoder says
    case MediaRead::no_memory: return FMOD_ERR_MEMORY;
    default: return FMOD_ERR_FILE_BAD; // a folder, a pipe or a device: there, but not a file
    }
}

// Nanoseconds of the wall clock: a channel's place moves on with it, as the
// backends' mixers keep their songs on it.
std::int64_t counter_now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Where a playing channel is in its sample now.
double place_now(const ChannelPlace& place)
{
    return place.from_seconds + static_cast<double>(counter_now() - place.played_at) / 1e9;
}

// A channel that had a sample played on it; null (and the error said)
// otherwise.
ChannelPlace* played_channel(int channel)
{
    if (!fsound_state.started)
        return fail(FMOD_ERR_UNINITIALIZED, static_cast<ChannelPlace*>(nullptr));
    if (channel < 0 || channel >= fsound_state.channel_count || !fsound_state.places[channel].sample)
        return fail(FMOD_ERR_INVALID_PARAM, static_cast<ChannelPlace*>(nullptr));
    return &fsound_state.places[channel];
}

// Plays a channel's sample on from its place.
void play_on(int channel, ChannelPlace* place)
{
    backend_sound_play(channel, place->sample->sound, fsound_state.channel_count, place->from_seconds);
    place->played_at = counter_now();
}

} // namespace

float FSOUND_GetVersion() { return fsound_state.reported_version; }

signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags)
{
    (void)flags; // no output options to choose on this layer
    if (fsound_state.started)
        return fail(FMOD_ERR_BUSY, 0);
    if (mixrate < 4000 || mixrate > 192000 || maxsoftwarechannels < 1 || maxsoftwarechannels > max_channels)
        return fail(FMOD_ERR_INVALID_PARAM, 0);
    const int channels = backend_sound_open(mixrate, maxsoftwarechannels);
    if (channels < 1)
        return fail(FMOD_ERR_INIT, 0);
    fsound_state.places = static_cast<ChannelPlace*>(std::calloc(static_cast<std::size_t>(channels), sizeof(ChannelPlace)));
    if (!fsound_state.places) {
        backend_sample_free(nullptr);
        return fail(FMOD_ERR_MEMORY, 0);
    }
    fsound_state.channel_count = channels;
    fsound_state.mix_rate = mixrate;
    fsound_state.started = true;
    set_error(FMOD_ERR_NONE);
    return 1;
}

FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int length)
{
    (void)mode;   // the layer always decodes the whole file into memory
    (void)length; // only meaningful for loading from memory, which this layer does not do
    if (!fsound_state.started)
        return fail_load(FMOD_ERR_UNINITIALIZED);
    if (name == nullptr || index < FSOUND_FREE)
        return fail_load(FMOD_ERR_INVALID_PARAM);
    unsigned char* bytes = nullptr;
    std::size_t size = 0;
    const MediaRead read = platform_load_media_file(name, &bytes, &size);
    if (read != MediaRead::read)
        return fail_load(read_error(read));
    if (size > static_cast<std::size_t>(0x7FFFFFFF)) {
        platform_free_media_file(bytes);
        return fail_load(FMOD_ERR_MEMORY);
    }
    auto* sample = static_cast<FSOUND_SAMPLE*>(std::malloc(sizeof(FSOUND_SAMPLE)));
    if (!sample) {
        platform_free_media_file(bytes);
        return fail_load(FMOD_ERR_MEMORY);
    }
    BackendSample* sound = nullptr;
    const DecodeResult decoded = backend_sound_decode(bytes, size, &sound);
    // What the bytes look like says whether an undecodable file is damaged
    // or of another kind; it is needed only then.
    const bool known = decoded == DecodeResult::undecodable && has_known_audio_signature(bytes, size);
    platform_free_media_file(bytes);
    // Closed while the decoder ran (the page runs other code meanwhile):
    // the song is not kept.
    if (!fsound_state.started) {
        if (decoded == DecodeResult::decoded)
            backend_sample_free(sound);
        std::free(sample);
        return fail_load(FMOD_ERR_UNINITIALIZED);
    }
    if (decoded != DecodeResult::decoded) {
        std::free(sample);
        if (decoded == DecodeResult::no_memory)
            return fail_load(FMOD_ERR_MEMORY);
        return fail_load(known ? FMOD_ERR_FILE_BAD : FMOD_ERR_FILE_FORMAT);
    }
    sample->sound = sound;
    sample->next = fsound_state.samples;
    fsound_state.samples = sample;
    set_error(FMOD_ERR_NONE);
    return sample;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample)
{
    if (!fsound_state.started)
        return fail(FMOD_ERR_UNINITIALIZED, -1);
    if (!sample || !is_loaded(sample) || channel < FSOUND_FREE || channel >= fsound_state.channel_count)
        return fail(FMOD_ERR_INVALID_PARAM, -1);
    const int playing = backend_sound_play(channel, sample->sound, fsound_state.channel_count, 0.0);
    if (playing < 0)
        return fail(FMOD_ERR_CHANNEL_ALLOC, -1);
    fsound_state.places[playing] = ChannelPlace{sample, false, 0.0, counter_now()};
    set_error(FMOD_ERR_NONE);
    return playing;
}

signed char FSOUND_StopSound(int channel)
{
    if (!fsound_state.started)
        return fail(FMOD_ERR_UNINITIALIZED, 0);
    if (channel < 0 || channel >= fsound_state.channel_count)
        return fail(FMOD_ERR_INVALID_PARAM, 0);
    backend_sound_play(channel, nullptr, fsound_state.channel_count, 0.0);
    fsound_state.places[channel] = ChannelPlace{};
    set_error(FMOD_ERR_NONE);
    return 1;
}

signed char FSOUND_SetPaused(int channel, signed char paused)
{
    ChannelPlace* place = played_channel(channel);
    if (!place)
        return 0;
    if (paused && !place->paused) {
        place->from_seconds = place_now(*place);
        backend_sound_play(channel, nullptr, fsound_state.channel_count, 0.0);
    } else if (!paused && place->paused) {
        play_on(channel, place);
    }
    place->paused = paused != 0;
    set_error(FMOD_ERR_NONE);
    return 1;
}

signed char FSOUND_SetCurrentPosition(int channel, unsigned int offset)
{
    ChannelPlace* place = played_channel(channel);
    if (!place)
        return 0;
    place->from_seconds = static_cast<double>(offset) / static_cast<double>(fsound_state.mix_rate);
    if (!place->paused)
        play_on(channel, place);
    set_error(FMOD_ERR_NONE);
    return 1;
}

int FSOUND_GetOutputRate() { return fsound_state.started ? fsound_state.mix_rate : 0; }

void FSOUND_Close()
{
    // Safe before any FSOUND_Init and when called again: only what was
    // started is shut down.
    if (!fsound_state.started)
        return;
    for (int channel = 0; channel < fsound_state.channel_count; ++channel)
        backend_sound_play(channel, nullptr, fsound_state.channel_count, 0.0);
    std::free(fsound_state.places);
    fsound_state.places = nullptr;
    while (fsound_state.samples) {
        FSOUND_SAMPLE* next = fsound_state.samples->next;
        backend_sample_free(fsound_state.samples->sound);
        std::free(fsound_state.samples);
        fsound_state.samples = next;
    }
    backend_sample_free(nullptr);
    fsound_state.started = false;
    fsound_state.channel_count = 0;
    fsound_state.mix_rate = 0;
}

int FSOUND_GetError() { return fsound_state.last_error; }

int sound_channel_to_play(const SoundChannel* channels, int count, int channel)
{
    for (int c = 0; c < count && channel < 0; ++c)
        if (!channels[c].sample)
            channel = c;
    return channel;
}
