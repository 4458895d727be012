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

// Where a channel's next frame should be: `elapsed` seconds since the
// channel was played, plus `lead` seconds for the output to play what is
// mixed now, at `rate` frames a second.
std::int64_t song_clock_due_frame(double elapsed, double lead, int rate);

// What a channel does before its next buffer, `position` frames into its
// song: more than the tolerance behind, it skips what is due (a positive
// count of frames to move on; the first buffer of a song skips `lead` and
// so starts as far ahead as the output is behind); more than the tolerance
// ahead (it skipped what the output turned out to have held), it waits (a
// negative count of frames of silence before it goes on); else 0. A song
// never goes back.
std::int64_t song_clock_step(std::int64_t position, double elapsed, double lead, int rate);

// Seconds from `from` to `to` on a counter of `frequency` ticks a second;
// 0 for a counter that went back or has no frequency.
double song_clock_seconds(std::int64_t from, std::int64_t to, std::int64_t frequency);
