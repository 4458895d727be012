// The song on the wall clock: where a channel should be, and how far a
// late one skips or an early one waits, the same on every backend.
#include "platform/song_clock.h"

#include <cmath>

std::int64_t song_clock_due_frame(double elapsed, double lead, int rate)
{
    const double due = (elapsed + lead) * static_cast<double>(rate);
    return due > 0.0 ? static_cast<std::int64_t>(std::floor(due)) : 0;
}

std::int64_t song_clock_step(SongClock* clock, double elapsed, double lead, int rate, int looks)
{
    const std::int64_t behind = song_clock_due_frame(elapsed, lead, rate) - clock->position;
    if (clock->position == 0) {
        const std::int64_t skip = behind > 0 ? behind : 0;
        clock->position += skip;
        clock->looks = 0;
        return skip;
    }
    const bool first = clock->looks == 0;
    clock->least_behind = first || behind < clock->least_behind ? behind : clock->least_behind;
    clock->most_behind = first || behind > clock->most_behind ? behind : clock->most_behind;
    if (++clock->looks < looks)
        return 0;
    clock->looks = 0;
    const double tolerance = song_clock_tolerance_seconds * static_cast<double>(rate);
    if (static_cast<double>(clock->least_behind) > tolerance) {
        clock->position += clock->least_behind;
        return clock->least_behind;
    }
    if (static_cast<double>(clock->most_behind) < -tolerance)
        return clock->most_behind;
    return 0;
}

void song_clock_mixed(SongClock* clock, std::int64_t frames) { clock->position += frames; }

double song_clock_seconds(std::int64_t from, std::int64_t to, std::int64_t frequency)
{
    if (frequency <= 0 || to <= from)
        return 0.0;
    return static_cast<double>(to - from) / static_cast<double>(frequency);
}

std::int64_t song_clock_counts(double seconds, std::int64_t frequency)
{
    if (!(seconds > 0.0) || frequency <= 0)
        return 0;
    return static_cast<std::int64_t>(seconds * static_cast<double>(frequency) + 0.5);
}
