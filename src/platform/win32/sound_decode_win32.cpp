// Decoding a whole file at load for the Win32 mixer: WAV read here, MP3
// through ACM (mp3_acm_win32.cpp), and either brought to the device's
// 16-bit stereo at its rate. Of the formats the desktop's mixer takes,
// these two are the ones the demo's song comes in; others are undecodable.
#include "platform/win32/win32_sound.h"

#include <cstdlib>
#include <cstring>

namespace {

unsigned long le32(const unsigned char* p)
{
    return p[0] | (static_cast<unsigned long>(p[1]) << 8) | (static_cast<unsigned long>(p[2]) << 16)
           | (static_cast<unsigned long>(p[3]) << 24);
}

unsigned le16(const unsigned char* p) { return p[0] | (p[1] << 8u); }

constexpr unsigned wave_format_pcm = 1;
constexpr unsigned wave_format_extensible = 0xFFFE;

} // namespace

bool is_wav(const unsigned char* bytes, std::size_t size) { return size >= 4 && std::memcmp(bytes, "RIFF", 4) == 0; }

DecodeResult decode_wav(const unsigned char* bytes, std::size_t size, FilePcm* pcm)
{
    if (size < 12 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return DecodeResult::undecodable;
    unsigned channels = 0, rate = 0, bits = 0;
    std::size_t at = 12;
    while (size - at >= 8) {
        const unsigned char* chunk = bytes + at;
        const std::size_t length = le32(chunk + 4);
        const std::size_t present = length < size - at - 8 ? length : size - at - 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && present >= 16) {
            unsigned tag = le16(chunk + 8);
            if (tag == wave_format_extensible && present >= 26)
                tag = le16(chunk + 8 + 24); // the sub-format's first two bytes are its tag
            channels = le16(chunk + 10);
            rate = static_cast<unsigned>(le32(chunk + 12));
            bits = le16(chunk + 22);
            if (tag != wave_format_pcm || channels < 1 || channels > 2 || rate < 1 || (bits != 8 && bits != 16))
                return DecodeResult::undecodable;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (rate == 0)
                return DecodeResult::undecodable; // the format comes first
            const std::size_t frame_bytes = channels * bits / 8;
            // Cut short, the data is read as far as whole frames go.
            const std::size_t frames = present / frame_bytes;
            const unsigned char* data = chunk + 8;
            pcm->data = static_cast<std::int16_t*>(std::malloc((frames * channels + 1) * sizeof(std::int16_t)));
            if (!pcm->data)
                return DecodeResult::no_memory;
            for (std::size_t i = 0; i < frames * channels; ++i)
                pcm->data[i] = bits == 8 ? static_cast<std::int16_t>((data[i] - 128) * 256)
                                         : static_cast<std::int16_t>(le16(data + 2 * i));
            pcm->frames = frames;
            pcm->rate = static_cast<int>(rate);
            pcm->channels = static_cast<int>(channels);
            return DecodeResult::decoded;
        }
        if (length > size - at - 8)
            break;
        at += 8 + length + (length & 1); // chunks are padded to even lengths
    }
    return DecodeResult::undecodable;
}

DecodeResult to_device_format(FilePcm* pcm, int rate, BackendSample** sample)
{
    const std::size_t in_frames = pcm->frames;
    const auto in_rate = static_cast<unsigned long long>(pcm->rate);
    const auto out_rate = static_cast<unsigned long long>(rate);
    const std::size_t out_frames = static_cast<std::size_t>((in_frames * out_rate + in_rate / 2) / in_rate);
    auto* made = static_cast<BackendSample*>(std::malloc(sizeof(BackendSample)));
    auto* data = static_cast<std::int16_t*>(std::malloc((out_frames * 2 + 2) * sizeof(std::int16_t)));
    if (!made || !data) {
        std::free(made);
        std::free(data);
        std::free(pcm->data);
        pcm->data = nullptr;
        return DecodeResult::no_memory;
    }
    const std::size_t step = pcm->channels == 2 ? 2 : 1;
    const std::size_t right = step - 1; // a mono file's one value goes to both sides
    for (std::size_t i = 0; i < out_frames; ++i) {
        // Where output frame i falls in the input, as whole frames and a remainder.
        const unsigned long long at = static_cast<unsigned long long>(i) * in_rate;
        const std::size_t left_index = static_cast<std::size_t>(at / out_rate);
        const long long fraction = static_cast<long long>(at % out_rate);
        const std::size_t next_index = left_index + 1 < in_frames ? left_index + 1 : left_index;
        const std::int16_t* a = pcm->data + (left_index < in_frames ? left_index : in_frames - 1) * step;
        const std::int16_t* b = pcm->data + next_index * step;
        for (std::size_t side = 0; side < 2; ++side) {
            const long long x = a[side ? right : 0], y = b[side ? right : 0];
            data[2 * i + side] = static_cast<std::int16_t>(x + (y - x) * fraction / static_cast<long long>(out_rate));
        }
    }
    std::free(pcm->data);
    pcm->data = nullptr;
    made->frames = out_frames;
    made->data = data;
    *sample = made;
    return DecodeResult::decoded;
}

DecodeResult backend_sound_decode(const unsigned char* bytes, std::size_t size, BackendSample** sample)
{
    FilePcm pcm;
    const DecodeResult decoded = is_wav(bytes, size) ? decode_wav(bytes, size, &pcm) : decode_mp3(bytes, size, &pcm);
    if (decoded != DecodeResult::decoded)
        return decoded;
    return to_device_format(&pcm, win32_sound_device_rate(), sample);
}
