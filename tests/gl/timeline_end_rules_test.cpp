// The scene timeline driven with scripted frame deltas on a real GL
// context: every scene's length, end test and reset set, one tick per
// frame, at most one scene ending per frame, and the end state.
#include "support/timeline_support.h"

#include "app/entry.h"
#include "timeline/timeline.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

namespace {

enum Clock : unsigned {
    scene = 1,
    anim = 2,
    fade1 = 4,
    fade2 = 8,
};
constexpr unsigned four_clocks = scene | anim | fade1 | fade2;

float& clock_ref(unsigned clock)
{
    switch (clock) {
    case scene: return shared.scene_clock;
    case anim: return shared.anim_clock;
    case fade1: return shared.text_fade[0];
    default: return shared.text_fade[1];
    }
}

struct EndRule {
    int scene_number;
    int frames;     // frames of 0.5 s the scene lasts, its ending frame included
    unsigned reset; // clocks the end sets to 0
    unsigned kept;  // clocks the end must leave alone
};

// At 0.5 s a frame every threshold is met exactly, so "at or above" is
// tested at its edge: scene 7, for one, ends on its 40th frame at exactly 20.
// The intro words advance their clock by 0.25 a frame, find it above 3 on
// frame 13 and end on frame 14. Scene 9's anim_clock stands at 2.0 after
// 8 frames, short of 2.01, and ends at 2.25 on frame 9.
const EndRule end_rules[] = {
    {-1, 12, scene, anim | fade1 | fade2},
    {0, 14, fade1, scene | anim | fade2},
    {1, 14, fade1, scene | anim | fade2},
    {2, 14, fade1, scene | anim | fade2},
    {3, 14, fade1, scene | anim | fade2},
    {4, 14, fade1, scene | anim | fade2},
    {5, 10, anim, fade1 | fade2}, // scene_clock runs on: checked apart
    {6, 8, scene | anim, fade1 | fade2},
    {7, 40, scene | anim, fade1 | fade2},
    {8, 20, scene | anim, fade1 | fade2},
    {9, 9, scene | anim, fade1 | fade2},
    {10, 8, four_clocks, 0},
    {11, 16, four_clocks, 0},
    {12, 12, four_clocks, 0},
    {13, 12, four_clocks, 0},
    {14, 12, four_clocks, 0},
    {15, 12, four_clocks, 0},
    {16, 12, four_clocks, 0},
    {17, 12, four_clocks, 0},
    {18, 12, four_clocks, 0},
    {19, 12, four_clocks, 0},
    {20, 8, four_clocks, 0},
    {21, 8, four_clocks, 0},
    {22, 8, four_clocks, 0},
};

} // namespace

TEST(TimelineEndRules, EveryScenesLengthEndTestAndResetSet)
{
    TimelineWindow run;
    ASSERT_TRUE(run.ready);

    for (const EndRule& rule : end_rules) {
        SCOPED_TRACE(testing::Message() << "scene " << rule.scene_number);
        ASSERT_EQ(shared.scene_index, rule.scene_number);
        for (int frame = 1; frame < rule.frames; ++frame) {
            const int queries = scripted_counter::queries();
            draw_frame_after(0.5);
            ASSERT_EQ(shared.scene_index, rule.scene_number) << "ended early, on frame " << frame;
            ASSERT_EQ(scripted_counter::queries(), queries + 1) << "one tick a frame";
        }

        // The ending frame: clocks outside the reset set carry sentinels
        // through it, which must survive.
        float saved[16] = {};
        for (unsigned clock = scene; clock <= fade2; clock <<= 1) {
            if (rule.kept & clock) {
                saved[clock] = clock_ref(clock);
                clock_ref(clock) = 0.375f;
            }
        }
        const float scene_clock_before = shared.scene_clock;
        const bool quit_before = shared.quit_requested;

        draw_frame_after(0.5);
        ASSERT_EQ(shared.scene_index, rule.scene_number + 1);
        if (rule.scene_number == 5) {
            EXPECT_EQ(shared.scene_clock, scene_clock_before + 0.5f);
        }
        if (rule.scene_number >= 0 && rule.scene_number <= 4) {
            EXPECT_EQ(shared.scene_clock, 0.375f) << "the intro words advance no timeline clock";
            EXPECT_EQ(shared.anim_clock, 0.375f) << "the intro words advance no timeline clock";
        }
        for (unsigned clock = scene; clock <= fade2; clock <<= 1) {
            if (rule.reset & clock) {
                EXPECT_EQ(clock_ref(clock), 0.0f) << "clock " << clock << " not reset";
            }
            if (rule.kept & clock) {
                EXPECT_GE(clock_ref(clock), 0.375f) << "clock " << clock << " reset";
                clock_ref(clock) = saved[clock];
            }
        }
        EXPECT_FALSE(quit_before);
        EXPECT_EQ(shared.quit_requested, rule.scene_number == 22);
    }

    // The end state: the four clocks at 0 and the run asked to stop.
    EXPECT_EQ(shared.scene_index, 23);
    EXPECT_EQ(shared.scene_clock, 0.0f);
    EXPECT_EQ(shared.anim_clock, 0.0f);
    EXPECT_EQ(shared.text_fade[0], 0.0f);
    EXPECT_EQ(shared.text_fade[1], 0.0f);
    EXPECT_TRUE(shared.quit_requested);
}

TEST(TimelineEndRules, AfterTheEndAFrameOnlyClears)
{
    TimelineWindow run;
    ASSERT_TRUE(run.ready);
    skip_to_scene(23);
    ASSERT_EQ(shared.scene_index, 23);
    ASSERT_TRUE(shared.quit_requested);

    const float tunnel = shared.tunnel_angle;
    const float swarm = shared.swarm_angle;
    const float delta = shared.frame_timer->frame_delta();
    const int queries = scripted_counter::queries();
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    draw_frame_after(3.0);
    draw_frame_after(100.0);

    EXPECT_EQ(shared.scene_index, 23);
    EXPECT_EQ(scripted_counter::queries(), queries) << "no tick after the end";
    EXPECT_EQ(shared.frame_timer->frame_delta(), delta);
    EXPECT_EQ(shared.scene_clock, 0.0f);
    EXPECT_EQ(shared.anim_clock, 0.0f);
    EXPECT_EQ(shared.text_fade[0], 0.0f);
    EXPECT_EQ(shared.text_fade[1], 0.0f);
    EXPECT_EQ(shared.tunnel_angle, tunnel);
    EXPECT_EQ(shared.swarm_angle, swarm);

    // Nothing drawn over the clear, anywhere in the view.
    for (int y = 0; y < run.window.height; y += 7)
        for (int x = 0; x < run.window.width; x += 9) {
            unsigned char rgba[4];
            run.window.pixel(x, y, rgba);
            ASSERT_NEAR(rgba[0], 64, 5);
            ASSERT_NEAR(rgba[1], 128, 5);
            ASSERT_NEAR(rgba[2], 191, 5);
        }
}

TEST(TimelineEndRules, LongFramesEndOneSceneEachAndDropTheSurplus)
{
    TimelineWindow run;
    ASSERT_TRUE(run.ready);

    // Every frame is far longer than any scene. Scene -1 and scenes 5 to 22
    // end on their first frame; an intro word takes two, since its clock is
    // tested before it is advanced.
    int frames = 0;
    while (shared.scene_index < 23 && frames < 100) {
        const int before = shared.scene_index;
        draw_frame_after(1000.0);
        ++frames;
        const int ended = shared.scene_index - before;
        ASSERT_LE(ended, 1) << "scene " << before;
        if (before >= 0 && before <= 4) {
            if (ended == 0) {
                EXPECT_EQ(shared.text_fade[0], 500.0f);
            }
        } else {
            ASSERT_EQ(ended, 1) << "scene " << before;
            // Nothing of the 1000 s is left over for the next scene, except
            // the scene_clock that scene 5 hands to scene 6.
            if (before == 5) {
                EXPECT_EQ(shared.scene_clock, 1000.0f);
            } else {
                EXPECT_EQ(shared.scene_clock, 0.0f) << "scene " << before;
            }
            EXPECT_EQ(shared.anim_clock, 0.0f) << "scene " << before;
        }
    }
    EXPECT_EQ(frames, 1 + 5 * 2 + 18);
    EXPECT_EQ(shared.scene_index, 23);
}

TEST(TimelineEndRules, TheNextSceneStartsFromZeroAfterALongEndingFrame)
{
    TimelineWindow run;
    ASSERT_TRUE(run.ready);
    skip_to_scene(10);

    draw_frame_after(0.5);
    draw_frame_after(60.0); // scene 10 had 3.5 s left
    ASSERT_EQ(shared.scene_index, 11);
    draw_frame_after(0.5);
    EXPECT_EQ(shared.scene_index, 11);
    EXPECT_EQ(shared.scene_clock, 0.5f);
    EXPECT_EQ(shared.text_fade[0], 0.5f * 0.3f);
    EXPECT_EQ(shared.text_fade[1], 0.5f * 0.3f);
}

TEST(TimelineEndRules, SceneFiveHandsItsClockToSceneSix)
{
    TimelineWindow run;
    ASSERT_TRUE(run.ready);
    skip_to_scene(5);
    ASSERT_EQ(shared.scene_clock, 0.0f);
    ASSERT_EQ(shared.anim_clock, 0.0f);

    // anim_clock runs at 5 a second while scene_clock is below 4, then rests.
    for (int frame = 0; frame < 8; ++frame)
        draw_frame_after(0.5);
    EXPECT_EQ(shared.anim_clock, 20.0f);
    draw_frame_after(0.5);
    EXPECT_EQ(shared.anim_clock, 20.0f);
    EXPECT_EQ(shared.scene_clock, 4.5f);

    // A last frame of 2.5 s leaves scene 6 with 2 s instead of 4.
    draw_frame_after(2.5);
    ASSERT_EQ(shared.scene_index, 6);
    EXPECT_EQ(shared.scene_clock, 7.0f);
    EXPECT_EQ(shared.anim_clock, 0.0f);
    for (int frame = 0; frame < 3; ++frame)
        draw_frame_after(0.5);
    EXPECT_EQ(shared.scene_index, 6);
    draw_frame_after(0.5);
    EXPECT_EQ(shared.scene_index, 7);
}

TEST(TimelineEndRules, ALongLastFrameOfSceneFiveEndsSceneSixOnItsFirstFrame)
{
    TimelineWindow run;
    ASSERT_TRUE(run.ready);
    skip_to_scene(5);
    for (int frame = 0; frame < 9; ++frame)
        draw_frame_after(0.5);
    ASSERT_EQ(shared.scene_index, 5);

    draw_frame_after(5.0);
    ASSERT_EQ(shared.scene_index, 6);
    EXPECT_EQ(shared.scene_clock, 9.5f);
    const float tunnel = shared.tunnel_angle;
    draw_frame_after(0.125);
    EXPECT_EQ(shared.scene_index, 7);
    EXPECT_EQ(shared.scene_clock, 0.0f);
    EXPECT_EQ(shared.tunnel_angle, tunnel + 0.125f * 40.0f) << "the one frame of scene 6 still turns the tunnel";
}

TEST(TimelineEndRules, SceneNineEndsOnItsAnimClockPastTwoPointZeroOne)
{
    TimelineWindow run;
    ASSERT_TRUE(run.ready);
    skip_to_scene(9);

    for (int frame = 0; frame < 8; ++frame)
        draw_frame_after(0.5);
    EXPECT_EQ(shared.anim_clock, 2.0f);
    EXPECT_EQ(shared.scene_clock, 0.0f) << "scene 9 does not advance scene_clock";
    ASSERT_EQ(shared.scene_index, 9);

    draw_frame_after(0.008); // 2.004: still short of 2.01
    EXPECT_EQ(shared.scene_index, 9);
    draw_frame_after(0.016); // 2.012
    EXPECT_EQ(shared.scene_index, 10);
    EXPECT_EQ(shared.anim_clock, 0.0f);
    EXPECT_EQ(shared.scene_clock, 0.0f);
    EXPECT_EQ(gl_int(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(gl_int(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
}

TEST(TimelineEndRules, IntroWordEndsOnlyWhenItsClockIsAboveThree)
{
    TimelineWindow run;
    ASSERT_TRUE(run.ready);
    // Frames of 0.5 s all the way: the word reads the previous frame's delta.
    skip_to_scene(2, 0.5);
    ASSERT_EQ(shared.text_fade[0], 0.0f);

    shared.text_fade[0] = 3.0f; // exactly the limit: not yet past it
    draw_frame_after(0.5);
    EXPECT_EQ(shared.scene_index, 2);
    EXPECT_EQ(shared.text_fade[0], 3.25f);
    draw_frame_after(0.5);
    EXPECT_EQ(shared.scene_index, 3);
    EXPECT_EQ(shared.text_fade[0], 0.0f);
}
