// The song on the wall clock: where a channel should be, and how far a
// late one skips or an early one waits, the same on every backend.
#include "platform/song_clock.h"

#include <cmath>

std::int64_t song_clock_due_frame(double elapsed, double lead, int rate)
{
    const double due = (elapsed + lead) * static_cast<double>(rate);
    return due > 0.0 ? static_cast<std::int64_t>(std::floor(due)) : 0;
}

std::int64_t song_clock_step(std::int64_t position, double elapsed, double lead, int rate)
{
    const std::int64_t behind = song_clock_due_frame(elapsed, lead, rate) - position;
    const double tolerance = song_clock_tolerance_seconds * static_cast<double>(rate);
    return std::fabs(static_cast<double>(behind)) > tolerance ? behind : 0;
}

double song_clock_seconds(std::int64_t from, std::int64_t to, std::int64_t frequency)
{
    if (frequency <= 0 || to <= from)
        return 0.0;
    return static_cast<double>(to - from) / static_cast<double>(frequency);
}
