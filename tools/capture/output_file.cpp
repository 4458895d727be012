// Temporary names, renaming into place and cleaning up after a failed run.
#include "output_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace {
// The writer thread and the drawing thread both make temporaries.
std::mutex pending_lock;
std::vector<std::string> pending;
}

std::string temporary_name(const std::string& path, const char* purpose)
{
    std::string::size_type slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + "." + purpose + "-" + std::to_string(getpid());
}

std::string write_error(const std::string& path) { return "cannot write " + path + ": " + std::strerror(errno); }

bool publish(const std::string& temporary, const std::string& path, std::string* error)
{
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        *error = write_error(path);
        std::remove(temporary.c_str());
        forget_temporary(temporary);
        return false;
    }
    forget_temporary(temporary);
    return true;
}

bool check_writable(const std::string& path, std::string* error)
{
    std::string temporary = temporary_name(path, "check");
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
        *error = write_error(path);
        return false;
    }
    close(fd);
    std::remove(temporary.c_str());
    return true;
}

void remember_temporary(const std::string& temporary)
{
    std::lock_guard<std::mutex> hold(pending_lock);
    pending.push_back(temporary);
}

void forget_temporary(const std::string& temporary)
{
    std::lock_guard<std::mutex> hold(pending_lock);
    pending.erase(std::remove(pending.begin(), pending.end(), temporary), pending.end());
}

void remove_temporaries()
{
    std::lock_guard<std::mutex> hold(pending_lock);
    for (const std::string& name : pending)
        std::remove(name.c_str());
    pending.clear();
}

bool write_text_file(const std::string& path, const std::function<void(FILE*)>& write, std::string* error)
{
    std::string temporary = temporary_name(path, "part");
    FILE* out = std::fopen(temporary.c_str(), "w");
    if (!out) {
        *error = write_error(path);
        return false;
    }
    remember_temporary(temporary);
    write(out);
    bool ok = std::fflush(out) == 0 && !std::ferror(out);
    ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        *error = write_error(path);
        std::remove(temporary.c_str());
        forget_temporary(temporary);
        return false;
    }
    return publish(temporary, path, error);
}
