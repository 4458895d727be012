// The song's clock on its own: where a channel is due, how far the first
// buffer skips, when a late channel skips and how far, when an early one
// waits, and that steady playback within the tolerance is left alone;
// judged on each buffer and over several.
#include "platform/song_clock.h"

#include <gtest/gtest.h>

namespace {
constexpr int rate = 44100;
constexpr int frames = 1024;
constexpr double buffer = static_cast<double>(frames) / rate; // one device buffer, as a lead

// A clock `position` frames into its song, past its first buffer.
SongClock at(std::int64_t position)
{
    SongClock clock;
    clock.position = position;
    return clock;
}
} // namespace

TEST(SongClock, DueFrameIsTheElapsedTimePlusTheLeadInFrames)
{
    EXPECT_EQ(song_clock_due_frame(0.0, 0.0, rate), 0);
    EXPECT_EQ(song_clock_due_frame(1.0, 0.0, rate), 44100);
    EXPECT_EQ(song_clock_due_frame(2.0, 0.5, rate), 110250);
    EXPECT_EQ(song_clock_due_frame(0.0, buffer, rate), 1024);
    // Rounded down: never past the frame whose time has come.
    EXPECT_EQ(song_clock_due_frame(10.5 / rate, 0.0, rate), 10);
    EXPECT_EQ(song_clock_due_frame(-1.0, 0.0, rate), 0);
}

TEST(SongClock, TheFirstBufferStartsAsFarAheadAsTheOutputIsBehind)
{
    // Played just now; what is mixed now is heard one buffer later.
    SongClock clock;
    EXPECT_EQ(song_clock_step(&clock, 0.0, buffer, rate, 1), 1024);
    EXPECT_EQ(clock.position, 1024);
    // The first buffer came 0.3 s after the song was played: at once,
    // whatever the number of buffers the song is judged over.
    SongClock late;
    EXPECT_NEAR(song_clock_step(&late, 0.3, buffer, rate, 4), 13230 + 1024, 1); // rounded down
    // With no lead and no delay, nothing to skip.
    SongClock now;
    EXPECT_EQ(song_clock_step(&now, 0.0, 0.0, rate, 1), 0);
    EXPECT_EQ(now.position, 0);
}

TEST(SongClock, SteadyPlaybackWithinTheToleranceIsLeftAlone)
{
    // Buffers asked for on time, give or take jitter short of the
    // tolerance either side: every step is 0 and the song moves only by
    // what is mixed.
    SongClock clock;
    ASSERT_EQ(song_clock_step(&clock, 0.0, buffer, rate, 1), frames);
    song_clock_mixed(&clock, frames);
    for (int k = 1; k < 200; ++k) {
        const double jitter = (k % 3 - 1) * 0.9 * song_clock_tolerance_seconds;
        EXPECT_EQ(song_clock_step(&clock, k * buffer + jitter, buffer, rate, 1), 0) << "buffer " << k;
        song_clock_mixed(&clock, frames);
    }
    EXPECT_EQ(clock.position, (1 + 200) * frames); // the first skip, then 200 buffers mixed
    // Just within and just beyond, either side.
    const auto edge = static_cast<std::int64_t>(song_clock_tolerance_seconds * rate);
    SongClock a = at(44100 - edge), b = at(44100 + edge), c = at(44100 - edge - 2), d = at(44100 + edge + 2);
    EXPECT_EQ(song_clock_step(&a, 1.0, 0.0, rate, 1), 0);
    EXPECT_EQ(song_clock_step(&b, 1.0, 0.0, rate, 1), 0);
    EXPECT_EQ(song_clock_step(&c, 1.0, 0.0, rate, 1), edge + 2);
    EXPECT_EQ(song_clock_step(&d, 1.0, 0.0, rate, 1), -(edge + 2));
}

TEST(SongClock, AfterAStallTheSongSkipsWhatTheMixerMissed)
{
    // Three seconds in, the process was stopped for two: the mixer stands
    // where it stood and the wall clock has run on.
    SongClock clock = at(3 * rate);
    const std::int64_t step = song_clock_step(&clock, 5.0, buffer, rate, 1);
    EXPECT_NEAR(step, 2 * rate + 1024, 1);
    EXPECT_EQ(clock.position, 3 * rate + step);
    EXPECT_EQ(song_clock_step(&clock, 5.0, buffer, rate, 1), 0); // and then it is on time
}

TEST(SongClock, AnEarlySongWaitsAndNeverGoesBack)
{
    // It skipped 30 ms that the output turned out to hold: it waits that
    // long, and the wait does not move it.
    SongClock clock = at(44100 + 1323);
    EXPECT_EQ(song_clock_step(&clock, 1.0, 0.0, rate, 1), -1323);
    EXPECT_EQ(clock.position, 44100 + 1323);
    // Once the silence has played, the song is on time.
    EXPECT_EQ(song_clock_step(&clock, 1.0 + 1323.0 / rate, 0.0, rate, 1), 0);
}

TEST(SongClock, JudgedOverSeveralBuffersOneLateHandBackMovesNothing)
{
    // Buffers handed back in a burst: the first of two late by 40 ms, the
    // next on time (the output still held enough). Nothing skips.
    SongClock clock = at(44100);
    EXPECT_EQ(song_clock_step(&clock, 1.0 + 0.040, 0.0, rate, 2), 0);
    song_clock_mixed(&clock, frames);
    EXPECT_EQ(song_clock_step(&clock, 1.0 + buffer, 0.0, rate, 2), 0);
    song_clock_mixed(&clock, frames);
    EXPECT_EQ(clock.position, 44100 + 2 * frames);
    // Behind at both looks: the song skips the lesser lateness.
    const std::int64_t p = clock.position;
    const double t = static_cast<double>(p) / rate;
    EXPECT_EQ(song_clock_step(&clock, t + 0.100, 0.0, rate, 2), 0);
    song_clock_mixed(&clock, frames);
    const std::int64_t step = song_clock_step(&clock, t + buffer + 0.050, 0.0, rate, 2);
    EXPECT_NEAR(step, 0.050 * rate, 1);
    EXPECT_EQ(clock.position, p + frames + step);
    // Ahead at both looks: it waits the lesser earliness.
    SongClock early = at(44100 + 3000);
    EXPECT_EQ(song_clock_step(&early, 1.0, 0.0, rate, 2), 0);
    EXPECT_EQ(song_clock_step(&early, 1.0 + 1000.0 / rate, 0.0, rate, 2), -2000);
    EXPECT_EQ(early.position, 44100 + 3000);
}

TEST(SongClock, SecondsBetweenTwoCounts)
{
    EXPECT_DOUBLE_EQ(song_clock_seconds(100, 1100, 1000), 1.0);
    EXPECT_DOUBLE_EQ(song_clock_seconds(0, 3000000000LL, 1000000000LL), 3.0);
    EXPECT_DOUBLE_EQ(song_clock_seconds(1100, 100, 1000), 0.0); // a counter that went back
    EXPECT_DOUBLE_EQ(song_clock_seconds(0, 100, 0), 0.0);       // no frequency
}
