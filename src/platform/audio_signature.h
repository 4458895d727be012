// What a sound file starts with. Both sound layers use it to tell a damaged
// file of a known kind (an MP3 cut short) from one of an unknown kind (a
// text file under the song's name) when their decoder refuses it.
#pragma once

#include <cstddef>

// Does the file start like one of the formats the decoders take?
bool has_known_audio_signature(const unsigned char* head, std::size_t size);
