// Opening the media files on Windows: each is opened for reading with
// sharing allowed and taken only when it is a disk file (a named pipe or a
// device such as CON under a media name is not a file), so that no open or
// read ever waits on something that is not there.
#include "platform/win32/win32.h"

#include "platform/media_files.h"
#include "platform/media_files_internal.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <new>

namespace {

// A handle of the disk file at `path`, or INVALID_HANDLE_VALUE with errno set.
HANDLE open_regular_file(const char* path)
{
    if (!path || !*path) {
        errno = !path ? EINVAL : ENOENT;
        return INVALID_HANDLE_VALUE;
    }
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = EISDIR;
        return INVALID_HANDLE_VALUE;
    }
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        errno = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME
                        || error == ERROR_FILENAME_EXCED_RANGE
                    ? ENOENT
                    : EACCES;
        return INVALID_HANDLE_VALUE;
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        errno = ENODEV;
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

} // namespace

bool platform_media_file_opens(const char* path)
{
    HANDLE file = open_regular_file(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

bool platform_media_file_name(const char* path, std::string* name)
{
    HANDLE file = open_regular_file(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char full[MAX_PATH];
    const DWORD length = GetFinalPathNameByHandleA(file, full, sizeof full, FILE_NAME_NORMALIZED);
    CloseHandle(file);
    if (length == 0 || length >= sizeof full) {
        // Without the final name: the full path as given.
        const DWORD given = GetFullPathNameA(path, sizeof full, full, nullptr);
        if (given == 0 || given >= sizeof full)
            return false;
        *name = full;
        return true;
    }
    // The final name comes as \\?\C:\...; AddFontResourceEx and the rest want C:\...
    std::string final_name(full, length);
    if (final_name.rfind("\\\\?\\", 0) == 0 && final_name.rfind("\\\\?\\UNC\\", 0) != 0)
        final_name.erase(0, 4);
    *name = final_name;
    return true;
}

MediaRead platform_load_media_file(const char* path, unsigned char** bytes, std::size_t* size)
{
    *bytes = nullptr;
    *size = 0;
    HANDLE file = open_regular_file(path);
    if (file == INVALID_HANDLE_VALUE)
        return errno == ENOENT ? MediaRead::missing
               : errno == EISDIR || errno == ENODEV ? MediaRead::not_a_file
                                                    : MediaRead::unreadable;
    LARGE_INTEGER length{};
    const MediaRead result = read_whole_media_file(
        GetFileSizeEx(file, &length) ? static_cast<std::int64_t>(length.QuadPart) : -1,
        [file](unsigned char* to, std::size_t n) -> std::size_t {
            DWORD got = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
            return ReadFile(file, to, chunk, &got, nullptr) ? got : 0;
        },
        bytes, size);
    CloseHandle(file);
    return result;
}
