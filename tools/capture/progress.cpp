// Progress. The length of the sequence is only known once it has ended, so
// the bar measures against the nominal length (or --end).
#include "progress.h"

#include "shared/shared_state.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace {
double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
} // namespace

Progress::Progress(bool on, int frames_per_second, long planned_frames)
    : enabled(on), terminal(isatty(2) != 0), fps(frames_per_second), planned(planned_frames), started(now()),
      last_print(started)
{
}

void Progress::update(long frames, int scene)
{
    if (!enabled)
        return;
    double t = now();
    double interval = terminal ? 0.2 : 5.0;
    if (t - last_print < interval)
        return;
    last_print = t;
    print(frames, scene, false);
}

void Progress::print(long frames, int scene, bool final)
{
    double wall = now() - started;
    double drawn = static_cast<double>(frames) / fps;
    double speed = wall > 0 ? drawn / wall : 0;
    long planned_frames = std::max(planned, frames);
    double fraction = planned_frames > 0 ? static_cast<double>(frames) / planned_frames : 1.0;
    double left = (speed > 0 && !final) ? (static_cast<double>(planned_frames - frames) / fps) / speed : 0;
    int left_s = static_cast<int>(left + 0.5);
    if (terminal) {
        const int width = 30;
        int filled = static_cast<int>(fraction * width);
        char bar[width + 1];
        for (int i = 0; i < width; ++i)
            bar[i] = i < filled ? '#' : '-';
        bar[width] = '\0';
        std::fprintf(stderr, "\r[%s] %3d%%  frame %ld  scene %3d  %5.2fx real time  %d:%02d left ", bar,
                     static_cast<int>(fraction * 100), frames, scene, speed, left_s / 60, left_s % 60);
        if (final)
            std::fputc('\n', stderr);
    } else {
        std::fprintf(stderr, "elka-capture: frame %ld (%.1f s of the sequence), scene %d, %.2fx real time, %d:%02d left\n",
                     frames, drawn, scene, speed, left_s / 60, left_s % 60);
    }
    std::fflush(stderr);
}

void Progress::finish(long frames)
{
    if (!enabled)
        return;
    if (terminal)
        print(frames, last_scene + 1, true);
}
