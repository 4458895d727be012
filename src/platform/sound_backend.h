// What a backend gives the sound layer's rules (fsound_rules.cpp): a
// device, a decoder and channels, with no rule of the layer in them. The
// rules check the arguments, keep the sample list and the last error, and
// read the file; a backend only does the thing or says it could not. One
// set of these per backend folder.
#pragma once

#include <cstddef>

struct BackendSample;

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
