// What a backend gives the sound layer's rules (fsound_rules.cpp): a
// device, a decoder and channels, with no rule of the layer in them. The
// rules check the arguments, keep the sample list and the last error, and
// read the file; a backend only does the thing or says it could not. One
// set of these per backend folder.
#pragma once

#include "platform/song_clock.h"

#include <cstddef>
#include <cstdint>

struct BackendSample;

// A channel of a backend's own mixer.
struct SoundChannel {
    BackendSample* sample;  // null when the channel is free
    SongClock clock;        // its place in the sample
    std::int64_t played_at; // the performance counter when it was played
};
// The channel a sound is played on: the one named, or with `channel` < 0
// the first free one (-1 when none is). A channel named outright gives up
// what it played. The caller holds its mixer's lock.
int sound_channel_to_play(const SoundChannel* channels, int count, int channel);

// Opens the output device at `rate` with up to `channels` channels; the
// channels it has, 0 when there is no device.
int backend_sound_open(int rate, int channels);

enum class DecodeResult { decoded, undecodable, no_memory };
// Decodes a whole file's bytes; *sample is set only when decoded.
DecodeResult backend_sound_decode(const unsigned char* bytes, std::size_t size, BackendSample** sample);
// The channel it plays on; < 0 when none is free.
int backend_sound_play(int channel, BackendSample* sample, int channel_count);
void backend_sound_stop(int channel);
// Closing: every channel stopped, then each sample freed, then the device.
void backend_sound_halt();
void backend_sample_free(BackendSample* sample);
void backend_sound_close();
// The layer's last error changed (the page shows it).
void backend_sound_error(int code);
