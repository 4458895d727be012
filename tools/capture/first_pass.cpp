// The first pass. The child writes its numbers down a pipe and ends; the
// parent reads them, polling so that a signal here stops the wait (a read
// would be restarted after the handler) and the child with it.
#include "first_pass.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool write_all(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

[[noreturn]] void run_child(int fd, const std::function<bool(std::vector<long>*)>& pass)
{
    std::vector<long> numbers;
    bool ok = pass(&numbers) &&
              write_all(fd, reinterpret_cast<const char*>(numbers.data()), numbers.size() * sizeof(long));
    // _exit: the parent's buffers and exit handlers are the parent's.
    _exit(ok ? 0 : 1);
}

} // namespace

PassResult run_first_pass(const std::function<bool(std::vector<long>*)>& pass,
                          const volatile std::sig_atomic_t& interrupted, std::vector<long>* numbers,
                          std::string* error)
{
    int ends[2];
    if (pipe(ends) != 0) {
        *error = std::string("cannot start the first pass: ") + std::strerror(errno);
        return PassResult::failed;
    }
    pid_t child = fork();
    if (child < 0) {
        *error = std::string("cannot start the first pass: ") + std::strerror(errno);
        close(ends[0]);
        close(ends[1]);
        return PassResult::failed;
    }
    if (child == 0) {
        close(ends[0]);
        run_child(ends[1], pass);
    }
    close(ends[1]);
    std::string bytes;
    bool stopped = false;
    for (;;) {
        if (interrupted && !stopped) {
            kill(child, SIGTERM);
            stopped = true;
        }
        pollfd p{ends[0], POLLIN, 0};
        int ready = poll(&p, 1, 100);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        char chunk[4096];
        ssize_t n = read(ends[0], chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    close(ends[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (interrupted)
        return PassResult::interrupted;
    if (WIFSIGNALED(status)) {
        *error = std::string("the first pass died of signal ") + strsignal(WTERMSIG(status));
        return PassResult::failed;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return PassResult::failed;
    numbers->resize(bytes.size() / sizeof(long));
    std::memcpy(numbers->data(), bytes.data(), numbers->size() * sizeof(long));
    return PassResult::done;
}
