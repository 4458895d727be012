// A named pipe put where a media file belongs, with a guard: whatever is
// still waiting to open it after a few seconds is let go (the guard opens
// the writing end once, and closes it), and the test learns that something
// waited. So a test of "never waits on a pipe" fails instead of hanging.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class PipeGuard {
public:
    explicit PipeGuard(const std::string& path, int seconds = 5);
    ~PipeGuard();
    PipeGuard(const PipeGuard&) = delete;
    PipeGuard& operator=(const PipeGuard&) = delete;

    bool made() const { return made_; }
    // True when something had opened the pipe and waited for a writer.
    bool had_to_release() const { return released_; }

private:
    std::string path_;
    bool made_ = false;
    std::atomic<bool> released_{false};
    bool stop_ = false;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread watcher_;
};
