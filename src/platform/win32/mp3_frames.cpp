#include "platform/win32/mp3_frames.h"

#include <cstdlib>
#include <cstring>

namespace {

// As far as a decoder looks for the next frame in junk before it gives up.
constexpr std::size_t max_junk = 65536;

constexpr int mpeg1_kbits[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr int mpeg2_kbits[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
constexpr int mpeg1_rates[3] = {44100, 48000, 32000};

unsigned long be32(const unsigned char* p)
{
    return (static_cast<unsigned long>(p[0]) << 24) | (static_cast<unsigned long>(p[1]) << 16)
           | (static_cast<unsigned long>(p[2]) << 8) | p[3];
}

bool same_stream(const Mp3Header& a, const Mp3Header& b)
{
    return a.rate == b.rate && a.channels == b.channels && a.mpeg1 == b.mpeg1;
}

// A header at `at` of the stream's format whose frame is there whole.
bool frame_at(const unsigned char* bytes, std::size_t size, std::size_t at, const Mp3Header* format,
              Mp3Header* header)
{
    if (at >= size || !read_mp3_header(bytes + at, size - at, header))
        return false;
    if (format && !same_stream(*format, *header))
        return false;
    return static_cast<std::size_t>(header->frame_bytes) <= size - at;
}

// Found in junk: a frame counts only when another starts where it ends (or
// the file does), as a lone pair of sync bytes in other data is common.
bool frame_found(const unsigned char* bytes, std::size_t size, std::size_t at, const Mp3Header* format,
                 Mp3Header* header)
{
    if (!frame_at(bytes, size, at, format, header))
        return false;
    const std::size_t next = at + static_cast<std::size_t>(header->frame_bytes);
    Mp3Header following;
    return next == size || frame_at(bytes, size, next, header, &following);
}

std::size_t skip_id3v2(const unsigned char* bytes, std::size_t size, std::size_t at)
{
    while (size - at >= 10 && std::memcmp(bytes + at, "ID3", 3) == 0) {
        const unsigned char* p = bytes + at;
        const std::size_t length = (static_cast<std::size_t>(p[6] & 0x7F) << 21) | ((p[7] & 0x7F) << 14)
                                   | ((p[8] & 0x7F) << 7) | (p[9] & 0x7F);
        const std::size_t whole = 10 + length + ((p[5] & 0x10) ? 10 : 0); // with its footer
        if (whole > size - at)
            return size;
        at += whole;
    }
    return at;
}

// Is the frame at `p` an Info/Xing or VBRI frame (no audio)? The LAME part
// of an Info frame gives what the encoder added around the song.
bool read_info_frame(const unsigned char* p, const Mp3Header& header, Mp3Frames* frames)
{
    const int side = header.mpeg1 ? (header.channels == 1 ? 17 : 32) : (header.channels == 1 ? 9 : 17);
    const std::size_t end = static_cast<std::size_t>(header.frame_bytes);
    if (end >= 40 && std::memcmp(p + 36, "VBRI", 4) == 0)
        return true;
    const std::size_t crc = (p[1] & 1) ? 0 : 2;
    const std::size_t xing = 4 + crc + static_cast<std::size_t>(side);
    if (xing + 8 > end || (std::memcmp(p + xing, "Xing", 4) != 0 && std::memcmp(p + xing, "Info", 4) != 0))
        return false;
    const unsigned long flags = be32(p + xing + 4);
    std::size_t at = xing + 8;
    std::size_t declared = 0;
    if ((flags & 1) && at + 4 <= end)
        declared = be32(p + at);
    at += ((flags & 1) ? 4 : 0) + ((flags & 2) ? 4 : 0) + ((flags & 4) ? 100 : 0) + ((flags & 8) ? 4 : 0);
    if ((flags & 1) && at + 24 <= end
        && (std::memcmp(p + at, "LAME", 4) == 0 || std::memcmp(p + at, "Lavc", 4) == 0
            || std::memcmp(p + at, "Lavf", 4) == 0)) {
        frames->gapless = true;
        frames->declared_frames = declared;
        frames->encoder_delay = (p[at + 21] << 4) | (p[at + 22] >> 4);
        frames->encoder_padding = ((p[at + 22] & 0x0F) << 8) | p[at + 23];
    }
    return true;
}

} // namespace

bool read_mp3_header(const unsigned char* p, std::size_t left, Mp3Header* header)
{
    if (left < 4 || p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return false;
    const int version = (p[1] >> 3) & 3; // 0: MPEG-2.5, 2: MPEG-2, 3: MPEG-1
    const int layer = (p[1] >> 1) & 3;   // 1: Layer III
    const int bitrate_index = p[2] >> 4;
    const int rate_index = (p[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitrate_index == 0 || bitrate_index == 15 || rate_index == 3)
        return false;
    header->mpeg1 = version == 3;
    header->rate = mpeg1_rates[rate_index] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    header->channels = (p[3] >> 6) == 3 ? 1 : 2;
    header->bitrate = (header->mpeg1 ? mpeg1_kbits : mpeg2_kbits)[bitrate_index];
    header->samples_per_frame = header->mpeg1 ? 1152 : 576;
    header->frame_bytes = (header->mpeg1 ? 144000 : 72000) * header->bitrate / header->rate + ((p[2] >> 1) & 1);
    return true;
}

Mp3Scan scan_mp3_frames(const unsigned char* bytes, std::size_t size, Mp3Frames* frames)
{
    *frames = Mp3Frames{};
    std::size_t at = skip_id3v2(bytes, size, 0);
    const bool tagged = at > 0;
    while (at < size && bytes[at] == 0)
        ++at;
    Mp3Header first;
    // Untagged, it is an MP3 only if it starts with a frame; after a tag
    // the first frame is looked for as after junk.
    if (!tagged && !read_mp3_header(bytes + at, size - at, &first))
        return Mp3Scan::not_mp3;
    frames->data = static_cast<unsigned char*>(std::malloc(size - at + 1));
    if (!frames->data)
        return Mp3Scan::no_memory;
    bool in_sync = !tagged;
    bool have_format = false;
    while (at < size) {
        Mp3Header header;
        const Mp3Header* format = have_format ? &frames->format : nullptr;
        if (!(in_sync && frame_at(bytes, size, at, format, &header))) {
            // Junk (or a frame cut short at the end): the next frame within reach.
            std::size_t q = in_sync ? at + 1 : at;
            const std::size_t limit = size - q > max_junk ? q + max_junk : size;
            while (q < limit && !frame_found(bytes, size, q, format, &header))
                ++q;
            if (q >= limit)
                break;
            at = q;
            in_sync = true;
        }
        const std::size_t length = static_cast<std::size_t>(header.frame_bytes);
        if (!have_format) {
            frames->format = header;
            have_format = true;
            if (read_info_frame(bytes + at, header, frames)) {
                at += length;
                continue;
            }
        }
        std::memcpy(frames->data + frames->bytes, bytes + at, length);
        frames->bytes += length;
        ++frames->count;
        at += length;
    }
    return Mp3Scan::found;
}
