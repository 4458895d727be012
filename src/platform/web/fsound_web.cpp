// The sound layer's device, decoder and channels on Web Audio: the browser
// decodes the file and plays it (sound_library.js). A song played before
// the viewer's first gesture waits for it and then starts from its
// beginning.
//
// Plain data only, as in the rules: the music player's destructor calls in
// here during the exit processing.
#include "platform/backend.h"

#include <emscripten.h>

#include <new>

// A decoded song: the id of its AudioBuffer on the page.
struct BackendSample {
    int id;
};

extern "C" {
void elka_sound_report_error(int code);
int elka_sound_open(int rate);
int elka_sound_play(int channel, int id, int channel_count, double from_seconds);
void elka_sound_stop(int channel);
void elka_sound_close();
}

// The new sample's id; 0 when the browser cannot decode the bytes, -1 when
// it has no room for them. elkaSound comes with the library calls above.
EM_ASYNC_JS(int, elka_sound_decode, (const unsigned char* bytes, int size),
            { return await elkaSound.decode(bytes, size); });

int backend_sound_open(int rate, int channels) { return elka_sound_open(rate) ? channels : 0; }

DecodeResult backend_sound_decode(const unsigned char* bytes, std::size_t size, BackendSample** sample)
{
    auto* made = new (std::nothrow) BackendSample{0};
    if (!made)
        return DecodeResult::no_memory;
    made->id = elka_sound_decode(bytes, static_cast<int>(size));
    if (made->id <= 0) {
        const bool no_room = made->id < 0;
        delete made;
        return no_room ? DecodeResult::no_memory : DecodeResult::undecodable;
    }
    *sample = made;
    return DecodeResult::decoded;
}

int backend_sound_play(int channel, BackendSample* sample, int channel_count, double from_seconds)
{
    if (!sample) {
        elka_sound_stop(channel);
        return channel;
    }
    return elka_sound_play(channel, sample->id, channel_count, from_seconds);
}

// The songs' buffers go with the audio context.
void backend_sample_free(BackendSample* sample)
{
    if (sample)
        delete sample;
    else
        elka_sound_close();
}

void backend_sound_error(int code) { elka_sound_report_error(code); }
