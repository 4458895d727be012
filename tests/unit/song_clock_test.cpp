// The song's clock on its own: where a channel is due, when a late one
// skips and how far, when an early one waits, and that steady playback
// within the tolerance is left alone.
#include "platform/song_clock.h"

#include <gtest/gtest.h>

namespace {
constexpr int rate = 44100;
constexpr double buffer = 1024.0 / rate; // one device buffer, as a lead
} // namespace

TEST(SongClock, DueFrameIsTheElapsedTimePlusTheLeadInFrames)
{
    EXPECT_EQ(song_clock_due_frame(0.0, 0.0, rate), 0);
    EXPECT_EQ(song_clock_due_frame(1.0, 0.0, rate), 44100);
    EXPECT_EQ(song_clock_due_frame(2.0, 0.5, rate), 110250);
    EXPECT_EQ(song_clock_due_frame(0.0, buffer, rate), 1024);
    // Rounded down: never past the frame whose time has come.
    EXPECT_EQ(song_clock_due_frame(1.0 / rate * 10.5, 0.0, rate), 10);
    EXPECT_EQ(song_clock_due_frame(-1.0, 0.0, rate), 0);
}

TEST(SongClock, TheFirstBufferStartsAsFarAheadAsTheOutputIsBehind)
{
    // Played just now; what is mixed now is heard one buffer later.
    EXPECT_EQ(song_clock_step(0, 0.0, buffer, rate), 1024);
    // The first buffer came 0.3 s after the song was played.
    EXPECT_NEAR(song_clock_step(0, 0.3, buffer, rate), 13230 + 1024, 1); // rounded down
    // With no lead and no delay, nothing to skip.
    EXPECT_EQ(song_clock_step(0, 0.0, 0.0, rate), 0);
}

TEST(SongClock, SteadyPlaybackWithinTheToleranceIsLeftAlone)
{
    const double tolerance = song_clock_tolerance_seconds * rate;
    // A buffer's worth of callbacks with jitter either side, short of the
    // tolerance: every step is 0.
    std::int64_t position = 2 * 1024; // the first buffer's skip, and the buffer mixed after it
    for (int k = 1; k < 200; ++k) {
        const double jitter = (k % 3 - 1) * 0.9 * song_clock_tolerance_seconds;
        const double elapsed = k * buffer + jitter;
        EXPECT_EQ(song_clock_step(position, elapsed, buffer, rate), 0) << "callback " << k;
        position += 1024;
    }
    EXPECT_GT(tolerance, 0.0);
    // Just within and just beyond, either side.
    const auto edge = static_cast<std::int64_t>(tolerance);
    EXPECT_EQ(song_clock_step(44100 - edge, 1.0, 0.0, rate), 0);
    EXPECT_EQ(song_clock_step(44100 + edge, 1.0, 0.0, rate), 0);
    EXPECT_EQ(song_clock_step(44100 - edge - 2, 1.0, 0.0, rate), edge + 2);
    EXPECT_EQ(song_clock_step(44100 + edge + 2, 1.0, 0.0, rate), -(edge + 2));
}

TEST(SongClock, AfterAStallTheSongSkipsWhatTheMixerMissed)
{
    // Three seconds in, the process was stopped for two: the mixer stands
    // where it stood and the wall clock has run on.
    const std::int64_t stood = 3 * rate;
    const std::int64_t step = song_clock_step(stood, 5.0, buffer, rate);
    EXPECT_NEAR(step, 2 * rate + 1024, 1);
    EXPECT_EQ(song_clock_step(stood + step, 5.0, buffer, rate), 0); // and then it is on time
}

TEST(SongClock, AnEarlySongWaitsAndNeverGoesBack)
{
    // It skipped 30 ms that the output turned out to hold: it waits that long.
    EXPECT_EQ(song_clock_step(44100 + 1323, 1.0, 0.0, rate), -1323);
    // The wait is frames of silence, not a move of the song: asked again
    // once they have played, the song is on time.
    EXPECT_EQ(song_clock_step(44100 + 1323, 1.0 + 1323.0 / rate, 0.0, rate), 0);
}

TEST(SongClock, SecondsBetweenTwoCounts)
{
    EXPECT_DOUBLE_EQ(song_clock_seconds(100, 1100, 1000), 1.0);
    EXPECT_DOUBLE_EQ(song_clock_seconds(0, 3000000000LL, 1000000000LL), 3.0);
    EXPECT_DOUBLE_EQ(song_clock_seconds(1100, 100, 1000), 0.0); // a counter that went back
    EXPECT_DOUBLE_EQ(song_clock_seconds(0, 100, 0), 0.0);       // no frequency
}
