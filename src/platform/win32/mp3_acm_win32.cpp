// MP3 through the system's MPEG Layer-3 ACM decoder: the frames found by
// scan_mp3_frames are fed through one ACM stream to 16-bit PCM at the
// file's rate and channels, and what the encoder added around the song
// (the LAME tag's delay and padding) is cut off again, as desktop decoders
// do.
#include "platform/win32/win32.h"

#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include "platform/win32/mp3_frames.h"
#include "platform/win32/win32_sound.h"

#include <cstdlib>
#include <cstring>

namespace {

// The delay of the standard Layer III synthesis, which the LAME tag's
// encoder delay does not count.
constexpr std::size_t decoder_delay = 529;
// Bytes of MP3 given the decoder at once.
constexpr DWORD chunk_bytes = 16384;
// The shortest Layer III frame (8 kbit/s at 24 kHz), for the most PCM one chunk can give.
constexpr DWORD min_frame_bytes = 24;

struct Output {
    unsigned char* data;
    std::size_t used;
    std::size_t capacity;
};

bool append(Output* out, const unsigned char* bytes, std::size_t n)
{
    if (n > out->capacity - out->used) {
        std::size_t capacity = out->capacity * 2 + n;
        auto* grown = static_cast<unsigned char*>(std::realloc(out->data, capacity));
        if (!grown)
            return false;
        out->data = grown;
        out->capacity = capacity;
    }
    std::memcpy(out->data + out->used, bytes, n);
    out->used += n;
    return true;
}

// Runs the frames through the open stream into *out; false when out of memory.
bool convert(HACMSTREAM stream, const Mp3Frames& frames, DWORD pcm_frame_bytes, Output* out, bool* failed)
{
    const DWORD most_pcm = (chunk_bytes / min_frame_bytes + 2) * 1152 * pcm_frame_bytes;
    DWORD suggested = 0;
    if (acmStreamSize(stream, chunk_bytes, &suggested, ACM_STREAMSIZEF_SOURCE) != 0 || suggested < most_pcm)
        suggested = most_pcm;
    auto* source = static_cast<unsigned char*>(std::malloc(chunk_bytes));
    auto* pcm = static_cast<unsigned char*>(std::malloc(suggested));
    bool ok = source && pcm;
    ACMSTREAMHEADER header{};
    header.cbStruct = sizeof header;
    header.pbSrc = source;
    header.cbSrcLength = chunk_bytes;
    header.pbDst = pcm;
    header.cbDstLength = suggested;
    if (ok && acmStreamPrepareHeader(stream, &header, 0) != 0) {
        *failed = true;
        ok = false;
    }
    std::size_t fed = 0;
    DWORD pending = 0; // bytes at the front of source the decoder has not taken yet
    DWORD flags = ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_BLOCKALIGN;
    while (ok) {
        const std::size_t room = chunk_bytes - pending;
        const std::size_t take = frames.bytes - fed < room ? frames.bytes - fed : room;
        std::memcpy(source + pending, frames.data + fed, take);
        fed += take;
        pending += static_cast<DWORD>(take);
        const bool last = fed == frames.bytes;
        header.cbSrcLength = pending;
        header.cbSrcLengthUsed = 0;
        header.cbDstLengthUsed = 0;
        if (acmStreamConvert(stream, &header, last ? (flags | ACM_STREAMCONVERTF_END) : flags) != 0) {
            *failed = out->used == 0;
            break; // a stream the decoder cannot go on with: what came so far
        }
        flags = ACM_STREAMCONVERTF_BLOCKALIGN;
        if (!append(out, pcm, header.cbDstLengthUsed)) {
            ok = false;
            break;
        }
        const DWORD used = header.cbSrcLengthUsed <= pending ? header.cbSrcLengthUsed : pending;
        std::memmove(source, source + used, pending - used);
        pending -= used;
        if (last && (pending == 0 || (used == 0 && header.cbDstLengthUsed == 0)))
            break;
        if (used == 0 && header.cbDstLengthUsed == 0 && pending == chunk_bytes)
            break; // a full chunk that gives nothing: no frame in it decodes
    }
    if (header.fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED) {
        header.cbSrcLength = chunk_bytes;
        header.cbDstLength = suggested;
        acmStreamUnprepareHeader(stream, &header, 0);
    }
    std::free(source);
    std::free(pcm);
    return ok || *failed;
}

// The song as encoded: the encoder's delay and the decoder's cut from the
// front, the padding from the end (when the file is whole that far).
void cut_to_song(const Mp3Frames& frames, FilePcm* pcm)
{
    if (!frames.gapless)
        return;
    const std::size_t skip = static_cast<std::size_t>(frames.encoder_delay) + decoder_delay;
    std::size_t keep = pcm->frames > skip ? pcm->frames - skip : 0;
    const std::size_t declared = frames.declared_frames * static_cast<std::size_t>(frames.format.samples_per_frame);
    const std::size_t added = static_cast<std::size_t>(frames.encoder_delay + frames.encoder_padding);
    if (declared > added && keep > declared - added)
        keep = declared - added;
    const std::size_t channels = static_cast<std::size_t>(pcm->channels);
    std::memmove(pcm->data, pcm->data + (pcm->frames > skip ? skip : pcm->frames) * channels,
                 keep * channels * sizeof(std::int16_t));
    pcm->frames = keep;
}

} // namespace

DecodeResult decode_mp3(const unsigned char* bytes, std::size_t size, FilePcm* pcm)
{
    Mp3Frames frames;
    const Mp3Scan scan = scan_mp3_frames(bytes, size, &frames);
    if (scan != Mp3Scan::found) {
        std::free(frames.data);
        return scan == Mp3Scan::no_memory ? DecodeResult::no_memory : DecodeResult::undecodable;
    }
    if (frames.count == 0) {
        std::free(frames.data);
        return DecodeResult::undecodable;
    }
    const Mp3Header& format = frames.format;
    MPEGLAYER3WAVEFORMAT mp3{};
    mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    mp3.wfx.nChannels = static_cast<WORD>(format.channels);
    mp3.wfx.nSamplesPerSec = static_cast<DWORD>(format.rate);
    mp3.wfx.nAvgBytesPerSec = static_cast<DWORD>(format.bitrate * 1000 / 8);
    mp3.wfx.nBlockAlign = 1;
    mp3.wfx.wBitsPerSample = 0;
    mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    mp3.wID = MPEGLAYER3_ID_MPEG;
    mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
    mp3.nBlockSize = static_cast<WORD>(format.frame_bytes);
    mp3.nFramesPerBlock = 1;
    mp3.nCodecDelay = 0;
    WAVEFORMATEX out_format{};
    out_format.wFormatTag = WAVE_FORMAT_PCM;
    out_format.nChannels = static_cast<WORD>(format.channels);
    out_format.nSamplesPerSec = static_cast<DWORD>(format.rate);
    out_format.wBitsPerSample = 16;
    out_format.nBlockAlign = static_cast<WORD>(format.channels * 2);
    out_format.nAvgBytesPerSec = out_format.nSamplesPerSec * out_format.nBlockAlign;
    HACMSTREAM stream = nullptr;
    if (acmStreamOpen(&stream, nullptr, &mp3.wfx, &out_format, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0) {
        std::free(frames.data);
        return DecodeResult::undecodable; // no MP3 decoder on this system
    }
    const std::size_t expected = (frames.count + 1) * static_cast<std::size_t>(format.samples_per_frame)
                                 * out_format.nBlockAlign;
    Output out{static_cast<unsigned char*>(std::malloc(expected)), 0, expected};
    bool failed = false;
    const bool converted = out.data && convert(stream, frames, out_format.nBlockAlign, &out, &failed);
    acmStreamClose(stream, 0);
    std::free(frames.data);
    if (!converted || failed || out.used < out_format.nBlockAlign) {
        std::free(out.data);
        return !converted ? DecodeResult::no_memory : DecodeResult::undecodable;
    }
    pcm->data = reinterpret_cast<std::int16_t*>(out.data);
    pcm->frames = out.used / out_format.nBlockAlign;
    pcm->rate = format.rate;
    pcm->channels = format.channels;
    cut_to_song(frames, pcm);
    return DecodeResult::decoded;
}
