// Opening the media files without ever blocking: each file is opened
// non-blocking (a pipe with no writer opens at once instead of waiting for
// one) and taken only when it is a regular file. POSIX (the desktop, the
// page); Windows opens its files in win32/media_files_win32.cpp.
#include "platform/media_files.h"
#include "platform/media_files_internal.h"

#ifndef _WIN32

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A descriptor of the regular file at `path`, or -1 with errno set.
int open_regular_file(const char* path)
{
    if (!path) {
        errno = EINVAL;
        return -1;
    }
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st { };
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int reason = S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
        close(fd);
        errno = reason;
        return -1;
    }
    return fd;
}

} // namespace

bool platform_media_file_opens(const char* path)
{
    int fd = open_regular_file(path);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

bool platform_media_file_name(const char* path, std::string* name)
{
    if (!platform_media_file_opens(path))
        return false;
    char* absolute = realpath(path, nullptr);
    if (!absolute)
        return false;
    *name = absolute;
    std::free(absolute);
    return true;
}

MediaRead platform_load_media_file(const char* path, unsigned char** bytes, std::size_t* size)
{
    *bytes = nullptr;
    *size = 0;
    int fd = open_regular_file(path);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG)
            return MediaRead::missing;
        return errno == EISDIR || errno == ENODEV ? MediaRead::not_a_file : MediaRead::unreadable;
    }
    struct stat st { };
    const std::int64_t length = fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
    const MediaRead result = read_whole_media_file(
        length,
        [fd](unsigned char* to, std::size_t n) -> std::size_t {
            for (;;) {
                const ssize_t got = read(fd, to, n);
                if (got < 0 && errno == EINTR)
                    continue;
                return got > 0 ? static_cast<std::size_t>(got) : 0;
            }
        },
        bytes, size);
    close(fd);
    return result;
}

#endif

// The same on every system.
unsigned char* platform_read_media_file(const char* path, std::size_t* size)
{
    unsigned char* bytes = nullptr;
    platform_load_media_file(path, &bytes, size);
    return bytes;
}

void platform_free_media_file(unsigned char* bytes) { delete[] bytes; }
