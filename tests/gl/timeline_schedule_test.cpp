// The schedule the tools read against the real timeline: driven at a steady
// 64 frames a second, every clock sum is exact (a frame is 1/64 s), so each
// scene must start where the schedule says, to the frame.
#include "support/timeline_support.h"

#include "timeline/schedule.h"
#include "timeline/timeline.h"

#include <gtest/gtest.h>

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

    // What the end rules add to the nominal lengths at this rate: an intro
    // word ends on the frame after the one that carries its clock past the
    // limit, two frames late; scene 9's anim_clock passes 2.01 within its
    // last frame. Every other scene ends on the frame that reaches its
    // threshold exactly.
    double late = 0.0;
    for (int scene = first_scene; scene <= last_scene + 1; ++scene) {
        SCOPED_TRACE(testing::Message() << "scene " << scene);
        const int first = run.first_frame[scene - first_scene];
        ASSERT_GE(first, 0) << "never drawn";
        EXPECT_NEAR(first * frame, scene_start_seconds(scene) + late, 0.5 * frame);
        if (scene >= 0 && scene <= 4)
            late += 2 * frame;
        if (scene == 9)
            late += 258 * frame - 2.01 / 0.5; // anim_clock gains 1/128 a frame: 2.01 is passed on the 258th
    }
    EXPECT_NEAR(run.first_frame[scene_count] * frame, nominal_length_seconds() + late, 0.5 * frame);
}
