// The song on the wall clock. The design's sound library plays on in real
// time: what a late mixer missed (an underrun, a busy machine, a stopped
// process) is not played late, it is skipped, so that every moment of a
// song is heard at its own time after the song was started, as the
// picture's counter, which also reads the wall clock, shows it. A backend
// with a real-time output asks here before it mixes a channel's next
// buffer; one that only writes a file (no one hears it as it goes) never
// asks.
#pragma once

#include <cstdint>

// A song this far off stays where it is: the output's own jitter, so that
// steady playback is never touched.
constexpr double song_clock_tolerance_seconds = 0.012;

// A channel's place in its song, and how far off it was over the buffers
// looked at since the last decision.
struct SongClock {
    std::int64_t position = 0; // frames of the song mixed or skipped
    std::int64_t least_behind = 0;
    std::int64_t most_behind = 0;
    int looks = 0;
};

// Where a channel's next frame should be: `elapsed` seconds since the
// channel was played, plus `lead` seconds for the output to play what is
// mixed now, at `rate` frames a second.
std::int64_t song_clock_due_frame(double elapsed, double lead, int rate);

// What a channel does before its next buffer. A song's first buffer skips
// what is due at once (it starts as far ahead as the output is behind).
// After that the decision is taken every `looks` buffers, on how far off
// the song was over them: behind by more than the tolerance at every one,
// it skips the least it was behind (a positive count of frames, added to
// the position); ahead by more than the tolerance at every one (it skipped
// what the output turned out to hold), it waits the least it was ahead (a
// negative count: frames of silence before it goes on); else 0. An output
// that asks for each buffer as it needs it is judged on every buffer; one
// that hands buffers back in bursts, on a few, so that one late hand-back
// the output absorbed moves nothing. A song never goes back.
std::int64_t song_clock_step(SongClock* clock, double elapsed, double lead, int rate, int looks);

// The clock's song has had `frames` more mixed.
void song_clock_mixed(SongClock* clock, std::int64_t frames);

// Counts of a counter of `frequency` ticks a second in `seconds` (>= 0): a
// channel played from a place in its song counts as played that long ago.
std::int64_t song_clock_counts(double seconds, std::int64_t frequency);

// Seconds from `from` to `to` on a counter of `frequency` ticks a second;
// 0 for a counter that went back or has no frequency.
double song_clock_seconds(std::int64_t from, std::int64_t to, std::int64_t frequency);
