#include "platform/audio_signature.h"

#include <cstring>

bool has_known_audio_signature(const unsigned char* head, std::size_t size)
{
    auto starts_with = [&](const char* magic) {
        std::size_t n = std::strlen(magic);
        return size >= n && std::memcmp(head, magic, n) == 0;
    };
    if (starts_with("RIFF") || starts_with("FORM") || starts_with("OggS") || starts_with("fLaC") || starts_with("ID3")
        || starts_with("Creative Voice File") || starts_with("MThd"))
        return true;
    // An MPEG audio frame header: eleven set sync bits.
    return size >= 2 && head[0] == 0xFF && (head[1] & 0xE0) == 0xE0;
}
