// The frame timer on a scripted counter.
#include "shared/frame_timer.h"
#include "harness/test_support.h"

#include <gtest/gtest.h>

namespace {
struct ScriptedCounter : ::testing::Test {
    void TearDown() override { scripted_counter::uninstall(); }
};
using FrameTimerTest = ScriptedCounter;
} // namespace

TEST_F(FrameTimerTest, FirstTickReportsTheTimeSinceStart)
{
    scripted_counter::install(1000);
    scripted_counter::set(5000);
    FrameTimer timer;
    scripted_counter::advance(700); // construction to start is not counted
    timer.start();
    EXPECT_EQ(timer.frame_delta(), 0.0f);
    scripted_counter::advance(250);
    timer.tick();
    EXPECT_FLOAT_EQ(timer.frame_delta(), 0.25f);
    EXPECT_DOUBLE_EQ(timer.elapsed_seconds(), 0.25);
}

TEST_F(FrameTimerTest, FrameDeltaChangesOnlyAtTickAndQueriesNothing)
{
    scripted_counter::install(1000000);
    FrameTimer timer;
    timer.start();
    scripted_counter::advance(20000);
    timer.tick();
    int queries = scripted_counter::queries();
    scripted_counter::advance(30000);
    EXPECT_FLOAT_EQ(timer.frame_delta(), 0.02f); // still the last frame's
    EXPECT_EQ(scripted_counter::queries(), queries);
    timer.tick();
    EXPECT_EQ(scripted_counter::queries(), queries + 1); // one query per tick
    EXPECT_FLOAT_EQ(timer.frame_delta(), 0.03f);
}

TEST_F(FrameTimerTest, GapWithoutTicksComesAsOneDelta)
{
    scripted_counter::install(1000000);
    FrameTimer timer;
    timer.start();
    for (int i = 0; i < 3; ++i) {
        scripted_counter::advance(16000);
        timer.tick();
        EXPECT_FLOAT_EQ(timer.frame_delta(), 0.016f);
    }
    scripted_counter::advance(7250000); // minimised for 7.25 s
    timer.tick();
    EXPECT_FLOAT_EQ(timer.frame_delta(), 7.25f);
    scripted_counter::advance(16000);
    timer.tick();
    EXPECT_NEAR(timer.frame_delta(), 0.016f, 1e-6); // total now rounded near 7.3 s
    EXPECT_NEAR(timer.elapsed_seconds(), 7.314, 1e-9);
}

TEST_F(FrameTimerTest, StartAgainZeroesAndMeasuresFromTheNewStart)
{
    scripted_counter::install(1000);
    FrameTimer timer;
    timer.start();
    scripted_counter::advance(40000); // 40 s
    timer.tick();
    EXPECT_FLOAT_EQ(timer.frame_delta(), 40.0f);
    timer.start();
    EXPECT_EQ(timer.frame_delta(), 0.0f);
    EXPECT_DOUBLE_EQ(timer.elapsed_seconds(), 0.0);
    scripted_counter::advance(100);
    timer.tick();
    // Measured from the new start, not from the old total of 40 s.
    EXPECT_FLOAT_EQ(timer.frame_delta(), 0.1f);
}

TEST_F(FrameTimerTest, WithoutACounterTheFrequencyIs1000)
{
    scripted_counter::install(123456, false);
    FrameTimer timer;
    timer.start();
    scripted_counter::advance(500); // counter still read, at 1000 a second
    timer.tick();
    EXPECT_FLOAT_EQ(timer.frame_delta(), 0.5f);
    EXPECT_DOUBLE_EQ(timer.elapsed_seconds(), 0.5);
}

TEST_F(FrameTimerTest, AZeroFrequencyAlsoFallsBackTo1000)
{
    scripted_counter::install(0);
    FrameTimer timer;
    timer.start();
    scripted_counter::advance(2000);
    EXPECT_DOUBLE_EQ(timer.elapsed_seconds(), 2.0); // not a division by zero
}

TEST_F(FrameTimerTest, CounterDifferenceIsSigned)
{
    scripted_counter::install(1000);
    scripted_counter::set(10000);
    FrameTimer timer;
    timer.start();
    scripted_counter::set(9000); // a counter that went back
    EXPECT_DOUBLE_EQ(timer.elapsed_seconds(), -1.0);
}

// The delta is taken against the float total of the previous tick, and the
// total is rounded to float only after the delta is added. Far from the
// start, float totals are coarse (1/16384 s near 1000 s) and the rounding
// shows in the deltas.
TEST_F(FrameTimerTest, TickRoundsTheTotalToFloatAfterTheDelta)
{
    scripted_counter::install(1000000);
    FrameTimer timer;
    timer.start();
    scripted_counter::set(1000000030); // 1000.00003 s: the float total is 1000.0
    timer.tick();
    EXPECT_FLOAT_EQ(timer.frame_delta(), static_cast<float>(1000.00003));

    scripted_counter::set(1000010000); // 1000.01 s
    timer.tick();
    // Against the rounded total 1000.0: 0.01, not 1000.01 - 1000.00003.
    EXPECT_EQ(timer.frame_delta(), 0.01f);

    // No time passes: the total was rounded up to 1000.0100097656 after the
    // delta was added, so the next delta is that rounding, negated.
    timer.tick();
    EXPECT_EQ(timer.frame_delta(), static_cast<float>(1000.01 - 1000.0100097656250));
    EXPECT_LT(timer.frame_delta(), 0.0f);

    // A delta computed from the double elapsed time each tick would give
    // the rounding twice; the float total absorbs it back.
    scripted_counter::set(1000020000);
    timer.tick();
    EXPECT_EQ(timer.frame_delta(), static_cast<float>(1000.02 - 1000.0100097656250));
}
