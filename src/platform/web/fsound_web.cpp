// The sound layer on Web Audio: the same calls, checks and error codes as
// the desktop's (fsound.cpp); the browser decodes the file and plays it
// (sound_library.js). A song played before the viewer's first gesture
// waits for it and then starts from its beginning.
//
// Plain data only, as on the desktop: the music player's destructor calls
// in here during the exit processing.
#include "platform/fsound.h"

#include "platform/audio_signature.h"
#include "platform/media_files.h"

#include <emscripten.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <sys/stat.h>

// A decoded song: the id of its AudioBuffer on the page.
struct FSOUND_SAMPLE {
    int id;
    FSOUND_SAMPLE* next;
};

extern "C" {
void elka_sound_report_error(int code);
int elka_sound_open(int rate);
int elka_sound_play(int channel, int id, int channel_count);
void elka_sound_stop(int channel);
void elka_sound_close();
}

// The new sample's id; 0 when the browser cannot decode the bytes, -1 when
// it has no room for them. elkaSound comes with the library calls above.
EM_ASYNC_JS(int, elka_sound_decode, (const unsigned char* bytes, int size),
            { return await elkaSound.decode(bytes, size); });

namespace {

bool started = false;
int channel_count = 0;
FSOUND_SAMPLE* samples = nullptr;
int last_error = FMOD_ERR_NONE;

constexpr int max_channels = 4096;

void set_error(int code)
{
    last_error = code;
    elka_sound_report_error(code);
}

template <typename T> T fail(int code, T result)
{
    set_error(code);
    return result;
}

FSOUND_SAMPLE* fail_load(int code) { return fail(code, static_cast<FSOUND_SAMPLE*>(nullptr)); }


bool is_loaded(const FSOUND_SAMPLE* sample)
{
    for (const FSOUND_SAMPLE* s = samples; s; s = s->next)
        if (s == sample)
            return true;
    return false;
}

void free_all_samples()
{
    while (samples) {
        FSOUND_SAMPLE* next = samples->next;
        delete samples;
        samples = next;
    }
}

} // namespace

float FSOUND_GetVersion() { return FSOUND_LAYER_VERSION; }

signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags)
{
    (void)flags; // no output options to choose on this layer
    if (started)
        return fail(FMOD_ERR_BUSY, 0);
    if (mixrate < 4000 || mixrate > 192000 || maxsoftwarechannels < 1 || maxsoftwarechannels > max_channels)
        return fail(FMOD_ERR_INVALID_PARAM, 0);
    if (!elka_sound_open(mixrate))
        return fail(FMOD_ERR_INIT, 0);
    channel_count = maxsoftwarechannels;
    started = true;
    set_error(FMOD_ERR_NONE);
    return 1;
}

FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int length)
{
    (void)mode;   // the layer always decodes the whole file into memory
    (void)length; // only meaningful for loading from memory, which this layer does not do
    if (!started)
        return fail_load(FMOD_ERR_UNINITIALIZED);
    if (name == nullptr || index < FSOUND_FREE)
        return fail_load(FMOD_ERR_INVALID_PARAM);

    errno = 0;
    if (!platform_media_file_opens(name)) {
        if (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG)
            return fail_load(FMOD_ERR_FILE_NOTFOUND);
        return fail_load(FMOD_ERR_FILE_BAD); // a folder or a device: there, but not a file
    }
    std::size_t size = 0;
    unsigned char* bytes = platform_read_media_file(name, &size);
    if (!bytes) {
        // An empty file is of no known kind, as the desktop's decoder says.
        struct stat info { };
        bool empty = stat(name, &info) == 0 && info.st_size == 0;
        return fail_load(empty ? FMOD_ERR_FILE_FORMAT : FMOD_ERR_FILE_BAD);
    }
    if (size > static_cast<std::size_t>(0x7FFFFFFF)) {
        platform_free_media_file(bytes);
        return fail_load(FMOD_ERR_MEMORY);
    }
    auto* sample = new (std::nothrow) FSOUND_SAMPLE{0, nullptr};
    if (!sample) {
        platform_free_media_file(bytes);
        return fail_load(FMOD_ERR_MEMORY);
    }
    int id = elka_sound_decode(bytes, static_cast<int>(size));
    bool known = has_known_audio_signature(bytes, size);
    platform_free_media_file(bytes);
    // Closed while the browser decoded (the page can run other code then):
    // the song is not kept.
    if (!started) {
        delete sample;
        return fail_load(FMOD_ERR_UNINITIALIZED);
    }
    if (id <= 0) {
        delete sample;
        if (id < 0)
            return fail_load(FMOD_ERR_MEMORY);
        return fail_load(known ? FMOD_ERR_FILE_BAD : FMOD_ERR_FILE_FORMAT);
    }
    sample->id = id;
    sample->next = samples;
    samples = sample;
    set_error(FMOD_ERR_NONE);
    return sample;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample)
{
    if (!started)
        return fail(FMOD_ERR_UNINITIALIZED, -1);
    if (!sample || !is_loaded(sample) || channel < FSOUND_FREE || channel >= channel_count)
        return fail(FMOD_ERR_INVALID_PARAM, -1);
    int playing = elka_sound_play(channel, sample->id, channel_count);
    if (playing < 0)
        return fail(FMOD_ERR_CHANNEL_ALLOC, -1);
    set_error(FMOD_ERR_NONE);
    return playing;
}

signed char FSOUND_StopSound(int channel)
{
    if (!started)
        return fail(FMOD_ERR_UNINITIALIZED, 0);
    if (channel < 0 || channel >= channel_count)
        return fail(FMOD_ERR_INVALID_PARAM, 0);
    elka_sound_stop(channel);
    set_error(FMOD_ERR_NONE);
    return 1;
}

void FSOUND_Close()
{
    // Safe before any FSOUND_Init and when called again.
    if (!started)
        return;
    elka_sound_close();
    free_all_samples();
    started = false;
    channel_count = 0;
}

int FSOUND_GetError() { return last_error; }
