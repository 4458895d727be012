// The schedule the tools read against the real timeline: driven at a steady
// 64 frames a second, every clock sum is exact (a frame is 1/64 s), so each
// scene must start where the schedule says, to the frame.
#include "support/timeline_support.h"

#include "timeline/schedule.h"
#include "timeline/timeline.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double frame = 1.0 / 64.0;

// The frame on which each scene was first drawn, and at the end the number
// of frames the whole sequence took.
struct SequenceRun {
    int first_frame[scene_count + 1];
};

SequenceRun run_whole_sequence()
{
    SequenceRun run;
    for (int& f : run.first_frame)
        f = -1;
    int frames = 0;
    while (!shared.quit_requested && frames < 20000) {
        const int scene = shared.scene_index;
        if (scene >= first_scene && scene <= last_scene && run.first_frame[scene - first_scene] < 0)
            run.first_frame[scene - first_scene] = frames;
        draw_frame_after(frame);
        ++frames;
    }
    run.first_frame[scene_count] = frames;
    return run;
}

} // namespace

TEST(TimelineSchedule, EverySceneStartsWhereTheScheduleSays)
{
    TimelineWindow window(32, 24);
    ASSERT_TRUE(window.ready);
    glEnable(GL_RASTERIZER_DISCARD); // only the clocks matter here
    const SequenceRun run = run_whole_sequence();
    ASSERT_TRUE(shared.quit_requested);

    // Nothing is lost at a scene change: each scene is first drawn on the
    // first frame whose time (the tick before it, first * frame) has
    // reached its start, except that an intro word ends only on the frame
    // that finds its clock above the limit: at this rate the clock meets
    // the limit exactly, so scenes 1 to 5 start a frame later.
    for (int scene = first_scene; scene <= last_scene + 1; ++scene) {
        SCOPED_TRACE(testing::Message() << "scene " << scene);
        const int first = run.first_frame[scene - first_scene];
        ASSERT_GE(first, 0) << "never drawn";
        const int reached = static_cast<int>(std::ceil(scene_start_seconds(scene) / frame - 1e-9));
        EXPECT_EQ(first, scene >= 1 && scene <= 5 ? reached + 1 : reached);
    }
    EXPECT_EQ(run.first_frame[scene_count], static_cast<int>(std::ceil(nominal_length_seconds() / frame)));
}
