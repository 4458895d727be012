// What the platform layer's own units need of the media files besides the
// face: the name a file is kept under (the font files it registers), and a
// whole read that says why it read nothing (the sound layer's error codes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
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

// The whole of an open regular file of `length` bytes (< 0: not known),
// through the system's own read: read_some(buffer, n) reads up to n bytes
// and returns how many, 0 at the end or on an error. A file that shrinks
// while it is read is read as far as it goes.
template <typename ReadSome>
MediaRead read_whole_media_file(std::int64_t length, ReadSome read_some, unsigned char** bytes, std::size_t* size)
{
    if (length == 0)
        return MediaRead::empty;
    if (length < 0 || static_cast<std::uint64_t>(length) > static_cast<std::uint64_t>(SIZE_MAX / 2))
        return MediaRead::unreadable;
    const std::size_t wanted = static_cast<std::size_t>(length);
    unsigned char* buffer = new (std::nothrow) unsigned char[wanted];
    if (!buffer)
        return MediaRead::no_memory;
    std::size_t got = 0;
    while (got < wanted) {
        const std::size_t n = read_some(buffer + got, wanted - got);
        if (n == 0)
            break;
        got += n;
    }
    if (got == 0) {
        delete[] buffer;
        return MediaRead::unreadable;
    }
    *bytes = buffer;
    *size = got;
    return MediaRead::read;
}

