// The frames of an MP3 file, found by their headers, for a decoder that
// takes a stream of whole Layer III frames (ACM's) and knows nothing of
// tags: an ID3v2 tag in front, an Info/Xing frame (no audio; the encoder's
// delay and padding in its LAME part), junk between frames and a frame cut
// short at the end are all dealt with here.
#pragma once

#include <cstddef>

struct Mp3Header {
    int rate = 0;              // samples per second
    int channels = 0;          // 1 or 2
    int bitrate = 0;           // kbit/s
    int frame_bytes = 0;       // the whole frame, header included
    int samples_per_frame = 0; // 1152 (MPEG-1) or 576 (MPEG-2 and 2.5)
    bool mpeg1 = false;
};

// The Layer III frame header at `p`; false when it is not one (free
// format, whose length the header does not give, included).
bool read_mp3_header(const unsigned char* p, std::size_t left, Mp3Header* header);

struct Mp3Frames {
    Mp3Header format;             // of the first frame; every frame kept has its rate and channels
    unsigned char* data = nullptr; // the audio frames, end to end (malloc)
    std::size_t bytes = 0;
    std::size_t count = 0;        // audio frames in data
    // From the LAME tag, when there is one: samples the encoder put in
    // front and after the song, and the frames it wrote (Info frame left out).
    bool gapless = false;
    int encoder_delay = 0;
    int encoder_padding = 0;
    std::size_t declared_frames = 0;
};

enum class Mp3Scan { found, not_mp3, no_memory };
// The frames of `bytes`: not_mp3 when it does not start as an MP3 does
// (an ID3v2 tag or a frame header, after any zero bytes), found otherwise,
// with frames->count 0 when no whole audio frame follows.
Mp3Scan scan_mp3_frames(const unsigned char* bytes, std::size_t size, Mp3Frames* frames);
