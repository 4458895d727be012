// Opening the media files. A media path names a regular file or nothing:
// a pipe, a folder or a device under a media name is taken as a file that
// is not there, and is never waited on (opening a pipe that no one writes
// would block for ever).
#pragma once

#include <cstddef>

// True when `path` names a regular file that can be opened for reading;
// the file is closed again at once. On false, errno says why (EISDIR for
// a folder, ENODEV for a pipe or a device).
bool platform_media_file_opens(const char* path);

// The whole of a regular, non-empty file, or null; *size is its length.
// A file that shrinks while it is read is read as far as it goes. Release
// the bytes with platform_free_media_file.
unsigned char* platform_read_media_file(const char* path, std::size_t* size);
void platform_free_media_file(unsigned char* bytes);
