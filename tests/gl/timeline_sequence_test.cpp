// The whole sequence at a steady 60 frames a second, and the clear colour
// that each scene's first frame still takes from the scene before.
#include "support/timeline_support.h"

#include "app/entry.h"
#include "timeline/timeline.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(TimelineSequence, RunsAbout151SecondsAt60FramesASecond)
{
    // ~9000 frames on llvmpipe: a small window, and no rasterising at all
    // (only the clocks are looked at here), keep them cheap.
    TimelineWindow run(32, 24);
    ASSERT_TRUE(run.ready);
    glEnable(GL_RASTERIZER_DISCARD);

    const double frame = 1.0 / 60.0;
    int frames_in[24] = {};
    float tunnel_at_end_of_7 = 0.0f;
    float swarm_at_end_of_19 = 0.0f;
    int frames = 0;
    while (!shared.quit_requested && frames < 20000) {
        const int scene = shared.scene_index;
        const int queries = scripted_counter::queries();
        draw_frame_after(frame);
        ++frames;
        ASSERT_EQ(scripted_counter::queries(), queries + 1);
        ASSERT_TRUE(shared.scene_index == scene || shared.scene_index == scene + 1);
        ++frames_in[scene + 1];
        if (scene == 7)
            tunnel_at_end_of_7 = shared.tunnel_angle;
        if (scene == 19)
            swarm_at_end_of_19 = shared.swarm_angle;
        if (scene > 7) {
            ASSERT_EQ(shared.tunnel_angle, tunnel_at_end_of_7) << "scene " << scene;
        }
        if (scene > 19) {
            ASSERT_EQ(shared.swarm_angle, swarm_at_end_of_19) << "scene " << scene;
        }
    }
    ASSERT_TRUE(shared.quit_requested);
    EXPECT_EQ(shared.scene_index, 23);

    // 6 + 5 x 6 + 5 + 4 + 20 + 10 + 4.02 + 4 + 8 + 8 x 6 + 3 x 4 seconds,
    // each scene overshooting its end by under a frame.
    const double seconds = frames * frame;
    EXPECT_GT(seconds, 151.0);
    EXPECT_LT(seconds, 151.0 + 24 * frame);

    const double nominal[24] = {6, 6, 6, 6, 6, 6, 5, 4, 20, 10, 4.02, 4, 8, 6, 6, 6, 6, 6, 6, 6, 6, 4, 4, 4};
    for (int i = 0; i < 24; ++i) {
        SCOPED_TRACE(testing::Message() << "scene " << i - 1);
        EXPECT_GE(frames_in[i] * frame, nominal[i] - 0.5 * frame);
        EXPECT_LE(frames_in[i] * frame, nominal[i] + 2.5 * frame);
    }

    // Neither phase is ever reset: the tunnel turned through scenes 6 and
    // 7 (4 + 20 s at 40), the swarm through scenes 10 to 19 (60 s at 25).
    EXPECT_NEAR(tunnel_at_end_of_7, 24.0 * 40.0, 3.0 * frame * 40.0);
    EXPECT_NEAR(swarm_at_end_of_19, 60.0 * 25.0, 11.0 * frame * 25.0);
}

namespace {

int red_at(const GlTestWindow& window, int x, int y)
{
    unsigned char rgba[4];
    window.pixel(x, y, rgba);
    return rgba[0];
}

} // namespace

TEST(TimelineSequence, StartAndSceneZeroClearBlackThenWhite)
{
    TimelineWindow run;
    ASSERT_TRUE(run.ready);

    // Scene -1's own clear colour is black too; its first frame is
    // cleared with the baseline black.
    draw_frame_after(0.5);
    EXPECT_EQ(red_at(run.window, 0, 0), 0);
    skip_to_scene(0, 0.5);

    // The bottom-left corner lies under the window frame's white layer
    // (alpha 0.7) and outside the opening: what shows through is the clear.
    draw_frame_after(0.5);
    const int first = red_at(run.window, 0, 0);
    draw_frame_after(0.5);
    const int second = red_at(run.window, 0, 0);
    EXPECT_LE(first, 0.7 * 255 + 8) << "the first frame of scene 0 is cleared black";
    EXPECT_EQ(second, 255) << "its later frames white";
}

TEST(TimelineSequence, SceneSixClearsWhiteOnceThenBlack)
{
    TimelineWindow run;
    ASSERT_TRUE(run.ready);
    skip_to_scene(5);
    while (shared.scene_index == 5)
        draw_frame_after(0.5);
    ASSERT_EQ(shared.scene_index, 6);
    ASSERT_LT(shared.scene_clock, 6.0f);

    // The honeycomb and blocks fade with anim_clock and the tunnel draws in
    // the colour the previous frame left: with both at alpha 0 only the
    // title in the middle is drawn and the corners show the clear.
    shared.anim_clock = 1.0f;
    glColor4f(1.0f, 1.0f, 1.0f, 0.0f);
    draw_frame_after(0.5);
    EXPECT_EQ(red_at(run.window, 0, 0), 255) << "first frame: scene 5's white";
    EXPECT_EQ(red_at(run.window, 63, 47), 255);

    glColor4f(1.0f, 1.0f, 1.0f, 0.0f);
    draw_frame_after(0.5);
    EXPECT_EQ(red_at(run.window, 0, 0), 0) << "later frames: scene 6's black";
    EXPECT_EQ(red_at(run.window, 63, 47), 0);
}

TEST(TimelineSequence, SceneTenClearsBlackOnceThenWhite)
{
    TimelineWindow run;
    ASSERT_TRUE(run.ready);
    skip_to_scene(10);

    // The middle of the view: between the bars, left of the swarm.
    draw_frame_after(0.5);
    EXPECT_EQ(red_at(run.window, 32, 24), 0) << "first frame: scene 9's black";
    draw_frame_after(0.5);
    EXPECT_EQ(red_at(run.window, 32, 24), 255) << "later frames: white";
}
