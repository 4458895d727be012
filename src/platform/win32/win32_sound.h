// The Win32 sound backend's own parts: a decoded sample as the mixer plays
// it (and as a test reads it), and the decoders' common ground. Plain data
// only: the rules call in here during the exit processing.
#pragma once

#include "platform/backend.h"

#include <cstddef>
#include <cstdint>

// A whole sound at the device's format: 16-bit stereo, left then right,
// at the rate the device was opened with.
struct BackendSample {
    std::size_t frames;
    std::int16_t* data; // frames * 2 values
};

// A decoder's output before it is converted: 16-bit interleaved PCM at
// the file's own rate and channel count (1 or 2). data comes from malloc.
struct FilePcm {
    std::int16_t* data = nullptr;
    std::size_t frames = 0;
    int rate = 0;
    int channels = 0;
};

// The rate the device was opened at; what decoded sounds are converted to.
int win32_sound_device_rate();

// Does it start like a RIFF WAVE file? Then decode_wav says the rest.
bool is_wav(const unsigned char* bytes, std::size_t size);
// PCM 8- or 16-bit, mono or stereo; a data chunk cut short is read as far
// as whole frames go.
DecodeResult decode_wav(const unsigned char* bytes, std::size_t size, FilePcm* pcm);

// An MPEG-1/2 Layer III stream, through ACM's MPEG Layer-3 decoder.
DecodeResult decode_mp3(const unsigned char* bytes, std::size_t size, FilePcm* pcm);

// `pcm` as the device plays it: stereo at `rate`, by linear interpolation
// when the rates differ. Frees pcm->data.
DecodeResult to_device_format(FilePcm* pcm, int rate, BackendSample** sample);
