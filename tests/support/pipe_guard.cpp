#include "support/pipe_guard.h"

#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

PipeGuard::PipeGuard(const std::string& path, int seconds)
    : path_(path)
{
    made_ = mkfifo(path.c_str(), 0644) == 0;
    if (!made_)
        return;
    watcher_ = std::thread([this, seconds] {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stop_) {
            if (wake_.wait_for(lock, std::chrono::seconds(seconds), [this] { return stop_; }))
                break;
            // Opening the writing end without blocking succeeds only while a
            // reader has the pipe open: that reader is waiting, let it go.
            int fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                released_ = true;
                close(fd);
            }
        }
    });
}

PipeGuard::~PipeGuard()
{
    if (watcher_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        watcher_.join();
    }
    if (made_)
        unlink(path_.c_str());
}
