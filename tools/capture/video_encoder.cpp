// ffmpeg as a child process: no shell in between, so no file name is ever
// quoted or interpreted.
#include "video_encoder.h"

#include "output_file.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string number(int n) { return std::to_string(n); }

// Runs argv with stdin from `stdin_fd` (or /dev/null when -1); returns the
// child's pid or -1.
int spawn(const std::vector<std::string>& args, int stdin_fd)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int in = stdin_fd >= 0 ? stdin_fd : open("/dev/null", O_RDONLY);
        if (in >= 0 && in != 0) {
            dup2(in, 0);
            close(in);
        }
        signal(SIGPIPE, SIG_DFL);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Waits for the child; true when it exited with status 0.
bool reap(int pid, int* status_out)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            *status_out = -1;
            return false;
        }
    }
    *status_out = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// ffmetadata escapes '=', ';', '#', '\' and line breaks with a backslash.
std::string metadata_escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '=' || c == ';' || c == '#' || c == '\\' || c == '\n')
            out += '\\';
        out += c;
    }
    return out;
}

} // namespace

std::string find_ffmpeg()
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t begin = 0;
    while (begin <= dirs.size()) {
        std::size_t end = dirs.find(':', begin);
        if (end == std::string::npos)
            end = dirs.size();
        // An empty entry is the current folder. (Made in one expression:
        // assigning the literal to the string afterwards trips GCC 12's
        // false -Wrestrict inside std::string at -O3, GCC bug 105329.)
        std::string dir = end > begin ? dirs.substr(begin, end - begin) : std::string(".");
        std::string candidate = dir + "/ffmpeg";
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        begin = end + 1;
    }
    return "";
}

std::string video_container(const std::string& path)
{
    std::string::size_type dot = path.rfind('.');
    std::string::size_type slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "mp4" || ext == "m4v")
        return "mp4";
    if (ext == "mkv")
        return "matroska";
    return "";
}

VideoEncoder::~VideoEncoder() { abandon(); }

bool VideoEncoder::start(const std::string& ffmpeg, const std::string& path, int w, int h, int frames_per_second,
                         std::string* error)
{
    ffmpeg_path = ffmpeg;
    final_path = path;
    container = video_container(path);
    width = w;
    height = h;
    fps = frames_per_second;
    video_only = temporary_name(path, "video");
    int fds[2];
    if (pipe(fds) != 0) {
        *error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        return false;
    }
    fcntl(fds[1], F_SETFD, FD_CLOEXEC);
    // The picture alone first: the song and the chapters are added once
    // the length is known.
    std::vector<std::string> args = {ffmpeg,
                                     "-hide_banner", "-loglevel", "error", "-nostats", "-y",
                                     "-f", "rawvideo", "-pix_fmt", "rgb24",
                                     "-s", number(w) + "x" + number(h),
                                     "-framerate", number(fps),
                                     "-i", "pipe:0",
                                     "-c:v", "libx264", "-preset", "veryfast", "-crf", "18",
                                     "-pix_fmt", "yuv420p",
                                     "-f", "matroska", video_only};
    remember_temporary(video_only);
    child = spawn(args, fds[0]);
    close(fds[0]);
    if (child < 0) {
        close(fds[1]);
        *error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        return false;
    }
    pipe_fd = fds[1];
    return true;
}

bool VideoEncoder::write_frame(const std::uint8_t* rgb, std::string* error)
{
    std::size_t left = static_cast<std::size_t>(width) * height * 3;
    const std::uint8_t* p = rgb;
    while (left > 0) {
        ssize_t written = write(pipe_fd, p, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            *error = "ffmpeg stopped taking frames for " + final_path + " (" + std::strerror(errno) + ")";
            return false;
        }
        p += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

bool VideoEncoder::close_pipe(std::string* error)
{
    if (pipe_fd >= 0) {
        close(pipe_fd);
        pipe_fd = -1;
    }
    if (child > 0) {
        int status = 0;
        bool ok = reap(child, &status);
        child = -1;
        if (!ok) {
            *error = "ffmpeg failed to encode " + final_path + " (exit status " + number(status) + ")";
            return false;
        }
    }
    return true;
}

bool VideoEncoder::finish(const std::string& song, const std::vector<Chapter>& chapters, int frames,
                          std::string* error)
{
    if (!close_pipe(error)) {
        abandon();
        return false;
    }
    std::string metadata = temporary_name(final_path, "chapters");
    FILE* meta = std::fopen(metadata.c_str(), "w");
    if (!meta) {
        *error = write_error(final_path);
        abandon();
        return false;
    }
    remember_temporary(metadata);
    std::fprintf(meta, ";FFMETADATA1\ntitle=eLka\n");
    for (const Chapter& c : chapters)
        std::fprintf(meta, "[CHAPTER]\nTIMEBASE=1/%d\nSTART=%d\nEND=%d\ntitle=%s\n", fps, c.first_frame, c.end_frame,
                     metadata_escape(c.title).c_str());
    bool meta_ok = std::fclose(meta) == 0;
    if (!meta_ok) {
        *error = write_error(final_path);
        std::remove(metadata.c_str());
        forget_temporary(metadata);
        abandon();
        return false;
    }

    char duration[32];
    std::snprintf(duration, sizeof duration, "%.6f", static_cast<double>(frames) / fps);
    std::string part = temporary_name(final_path, "part");
    std::vector<std::string> args = {ffmpeg_path, "-hide_banner", "-loglevel", "error", "-nostats", "-y",
                                     "-i", video_only, "-i", song, "-i", metadata,
                                     "-map", "0:v", "-map", "1:a",
                                     "-map_metadata", "2", "-map_chapters", "2",
                                     "-c:v", "copy", "-c:a", "aac", "-b:a", "192k",
                                     "-t", duration};
    if (container == "mp4") {
        args.push_back("-movflags");
        args.push_back("+faststart");
    }
    args.push_back("-f");
    args.push_back(container);
    args.push_back(part);
    remember_temporary(part);
    int pid = spawn(args, -1);
    int status = 0;
    bool ok = pid > 0 && reap(pid, &status);
    std::remove(metadata.c_str());
    forget_temporary(metadata);
    std::remove(video_only.c_str());
    forget_temporary(video_only);
    if (!ok) {
        std::remove(part.c_str());
        forget_temporary(part);
        *error = "ffmpeg failed to write " + final_path + " (exit status " + number(status) + ")";
        return false;
    }
    return publish(part, final_path, error);
}

void VideoEncoder::abandon()
{
    if (pipe_fd >= 0) {
        close(pipe_fd);
        pipe_fd = -1;
    }
    if (child > 0) {
        kill(child, SIGTERM);
        int status = 0;
        reap(child, &status);
        child = -1;
    }
    if (!video_only.empty()) {
        std::remove(video_only.c_str());
        forget_temporary(video_only);
    }
}
