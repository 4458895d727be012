// What the platform layer's own units need of the media files besides the
// face: the name a file is kept under (the font files it registers), and a
// whole read that says why it read nothing (the sound layer's error codes).
#pragma once

#include <cstddef>
#include <string>

// How reading a whole file went.
enum class MediaRead { read, missing, not_a_file, empty, unreadable, no_memory };
// The whole of a regular, non-empty file into *bytes (null unless read),
// *size its length. A file that shrinks while it is read is read as far as
// it goes. Release the bytes with platform_free_media_file.
MediaRead platform_load_media_file(const char* path, unsigned char** bytes, std::size_t* size);

// The absolute name of the regular file at `path` (symbolic links and dots
// resolved), so that it stays found when the working directory changes and
// the same file given twice is known as one; false for anything that is not
// a regular file that opens (a folder, a pipe, a device, nothing).
bool platform_media_file_name(const char* path, std::string* name);
