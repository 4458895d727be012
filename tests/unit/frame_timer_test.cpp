// The frame timer on a scripted counter.
#include "app/frame_timer.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

TEST(FrameTimer, FirstTickReportsTheTimeSinceStart)
{
    scripted_counter::install(1000);
    scripted_counter::set(5000);
    FrameTimer timer;
    timer.start();
    scripted_counter::advance(250);
    timer.tick();
    EXPECT_FLOAT_EQ(timer.frame_delta(), 0.25f);
    EXPECT_DOUBLE_EQ(timer.elapsed_seconds(), 0.25);
    scripted_counter::uninstall();
}
