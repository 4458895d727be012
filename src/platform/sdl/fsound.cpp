// The sound layer on SDL2_mixer: opens the audio device, decodes whole files
// into memory (Mix_LoadWAV handles MP3 among others), plays them on mixer
// channels, and keeps the code of the last failure.
//
// Everything here is plain data with no destructor: the music player is a
// static object whose destructor calls in here during the exit processing,
// possibly after other static objects of the process are gone.
#include "platform/fsound.h"
#include "platform/audio_signature.h"
#include "platform/fsound_internal.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

SoundState fsound_state;

namespace {

bool audio_subsystem_started = false;
int last_error = FMOD_ERR_NONE;

// Device buffer in sample frames: about 23 ms at 44100 Hz.
constexpr int buffer_frames = 1024;
constexpr int max_channels = 4096;

template <typename T> T fail(int code, T result)
{
    last_error = code;
    return result;
}

bool is_out_of_memory_error()
{
    const char* error = SDL_GetError();
    return error && std::strstr(error, "Out of memory") != nullptr;
}


void free_all_samples()
{
    while (fsound_state.samples) {
        FSOUND_SAMPLE* next = fsound_state.samples->next;
        Mix_FreeChunk(fsound_state.samples->chunk);
        SDL_free(fsound_state.samples);
        fsound_state.samples = next;
    }
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
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return fail(FMOD_ERR_INIT, 0);
    audio_subsystem_started = true;
    // Decoders that are loaded on demand; a missing one only narrows the
    // formats that load.
    Mix_Init(MIX_INIT_MP3 | MIX_INIT_OGG | MIX_INIT_FLAC);
    if (Mix_OpenAudio(mixrate, AUDIO_S16SYS, 2, buffer_frames) != 0) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audio_subsystem_started = false;
        return fail(FMOD_ERR_INIT, 0);
    }
    fsound_state.channel_count = Mix_AllocateChannels(maxsoftwarechannels);
    fsound_state.started = true;
    last_error = FMOD_ERR_NONE;
    return 1;
}

FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int length)
{
    (void)mode;   // the layer always decodes the whole file into memory
    (void)length; // only meaningful for loading from memory, which this layer does not do
    if (!fsound_state.started)
        return fail(FMOD_ERR_UNINITIALIZED, static_cast<FSOUND_SAMPLE*>(nullptr));
    if (name == nullptr || index < FSOUND_FREE)
        return fail(FMOD_ERR_INVALID_PARAM, static_cast<FSOUND_SAMPLE*>(nullptr));

    // One open for the whole load, non-blocking so that a pipe with no
    // writer opens at once; only a regular file is read, so the decoder
    // never waits on a pipe or a device either.
    int fd = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG)
            return fail(FMOD_ERR_FILE_NOTFOUND, static_cast<FSOUND_SAMPLE*>(nullptr));
        return fail(FMOD_ERR_FILE_BAD, static_cast<FSOUND_SAMPLE*>(nullptr));
    }
    struct stat info {};
    std::FILE* file = nullptr;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && fcntl(fd, F_SETFL, 0) == 0)
        file = fdopen(fd, "rb");
    if (!file) {
        // A folder, a pipe or a device exists but cannot be read as a file.
        close(fd);
        return fail(FMOD_ERR_FILE_BAD, static_cast<FSOUND_SAMPLE*>(nullptr));
    }
    unsigned char head[32] = {};
    size_t head_size = std::fread(head, 1, sizeof head, file);
    if (std::ferror(file) != 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return fail(FMOD_ERR_FILE_BAD, static_cast<FSOUND_SAMPLE*>(nullptr));
    }

    auto* sample = static_cast<FSOUND_SAMPLE*>(SDL_malloc(sizeof(FSOUND_SAMPLE)));
    if (!sample) {
        std::fclose(file);
        return fail(FMOD_ERR_MEMORY, static_cast<FSOUND_SAMPLE*>(nullptr));
    }
    SDL_ClearError();
    // The mixer reads the file already open (and closes it), not the path
    // again: what was checked is what is decoded.
    SDL_RWops* stream = SDL_RWFromFP(file, SDL_TRUE);
    if (!stream) {
        std::fclose(file);
        SDL_free(sample);
        return fail(FMOD_ERR_MEMORY, static_cast<FSOUND_SAMPLE*>(nullptr));
    }
    sample->chunk = Mix_LoadWAV_RW(stream, 1);
    if (!sample->chunk) {
        SDL_free(sample);
        if (is_out_of_memory_error())
            return fail(FMOD_ERR_MEMORY, static_cast<FSOUND_SAMPLE*>(nullptr));
        if (has_known_audio_signature(head, head_size))
            return fail(FMOD_ERR_FILE_BAD, static_cast<FSOUND_SAMPLE*>(nullptr));
        return fail(FMOD_ERR_FILE_FORMAT, static_cast<FSOUND_SAMPLE*>(nullptr));
    }
    sample->next = fsound_state.samples;
    fsound_state.samples = sample;
    last_error = FMOD_ERR_NONE;
    return sample;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample)
{
    if (!fsound_state.started)
        return fail(FMOD_ERR_UNINITIALIZED, -1);
    if (!sample || channel < FSOUND_FREE || channel >= fsound_state.channel_count)
        return fail(FMOD_ERR_INVALID_PARAM, -1);
    int playing = Mix_PlayChannel(channel, sample->chunk, 0);
    if (playing < 0)
        return fail(FMOD_ERR_CHANNEL_ALLOC, -1);
    last_error = FMOD_ERR_NONE;
    return playing;
}

signed char FSOUND_StopSound(int channel)
{
    if (!fsound_state.started)
        return fail(FMOD_ERR_UNINITIALIZED, 0);
    if (channel < 0 || channel >= fsound_state.channel_count)
        return fail(FMOD_ERR_INVALID_PARAM, 0);
    Mix_HaltChannel(channel);
    last_error = FMOD_ERR_NONE;
    return 1;
}

void FSOUND_Close()
{
    // Safe before any FSOUND_Init and when called again: only what was
    // started is shut down.
    if (fsound_state.started) {
        Mix_HaltChannel(-1);
        free_all_samples();
        Mix_CloseAudio();
        Mix_Quit();
        fsound_state.started = false;
        fsound_state.channel_count = 0;
    }
    if (audio_subsystem_started) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audio_subsystem_started = false;
    }
}

int FSOUND_GetError() { return last_error; }
