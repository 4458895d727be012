// The scene timeline driven with scripted frame deltas on a real GL
// context: every scene's length, end test and reset set, one tick per
// frame, at most one scene ending per frame, and the end state.
#include "support/timeline_support.h"

#include "app/entry.h"
#include "harness/system_reset.h"
#include "timeline/timeline.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>

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
    unsigned reset; // clocks the end sets back (to what the next scene carries)
    unsigned kept;  // clocks the end must leave alone
};

const EndRule end_rules[] = {
    {-1, scene, anim | fade1 | fade2},
    {0, fade1, scene | anim | fade2},
    {1, fade1, scene | anim | fade2},
    {2, fade1, scene | anim | fade2},
    {3, fade1, scene | anim | fade2},
    {4, fade1, scene | anim | fade2},
    {5, anim, fade1 | fade2}, // scene_clock runs on: checked apart
    {6, scene | anim, fade1 | fade2},
    {7, scene | anim, fade1 | fade2},
    {8, scene | anim, fade1 | fade2},
    {9, scene | anim, fade1 | fade2},
    {10, four_clocks, 0},
    {11, four_clocks, 0},
    {12, four_clocks, 0},
    {13, four_clocks, 0},
    {14, four_clocks, 0},
    {15, four_clocks, 0},
    {16, four_clocks, 0},
    {17, four_clocks, 0},
    {18, four_clocks, 0},
    {19, four_clocks, 0},
    {20, four_clocks, 0},
    {21, four_clocks, 0},
    {22, four_clocks, 0},
};

// The sequence as designed, written out here on its own: the nominal
// length of each scene from -1 to 22.
const double nominal_lengths[] = {6, 6, 6, 6, 6, 6, 5, 4, 20, 10, 4.02, 4, 8, 6, 6, 6, 6, 6, 6, 6, 6, 4, 4, 4};

double nominal_start(int scene)
{
    double t = 0.0;
    for (int s = -1; s < scene; ++s)
        t += nominal_lengths[s + 1];
    return t;
}

// The scene a frame draws, with nothing lost at a scene change: the last
// scene whose nominal start the frame's time has reached, the time of the
// tick before the frame (`drawn_at`). An intro word ends on the frame that
// finds its clock above the limit, not at it, so scenes 1 to 5 begin only
// once that time is past their start.
int scene_drawn_at(double drawn_at)
{
    int scene = -1;
    for (int s = 0; s <= 23; ++s) {
        const double start = nominal_start(s);
        const bool reached = s >= 1 && s <= 5 ? drawn_at > start + 1e-9 : drawn_at >= start - 1e-9;
        if (reached)
            scene = s;
    }
    return scene;
}

// What the next scene's clocks start from, per second of time past its
// nominal start; the word's clock is put a frame ahead (it is advanced by
// the frame before's delta).
float rate_of(int number, unsigned clock)
{
    if (number >= 0 && number <= 4)
        return clock == fade1 ? 0.5f : 0.0f;
    const float greeting_fades[9][2]
        = {{0.3f, 0.3f}, {0.3f, 0.3f}, {0.3f, 0}, {0.3f, 0}, {0.3f, 0}, {0.3f, 0}, {0.3f, 0}, {0.3f, 0}, {0.35f, 0.3f}};
    const float credit_rates[9] = {0, 0, 1.5f, 0, 1.5f, 0, 1.7f, 0, 0};
    switch (clock) {
    case scene: return number == 9 ? 0.0f : 1.0f;
    case anim:
        if (number >= 11 && number <= 19)
            return credit_rates[number - 11];
        return number == 5                 ? 5.0f
            : number == 6                  ? 0.243f
            : number == 7                  ? 1.0f / 6.0f
            : number == 8                  ? 0.0f
            : number == 21 || number == 22 ? 1.0f
                                           : 0.5f;
    case fade1: return number >= 11 && number <= 19 ? greeting_fades[number - 11][0] : 0.0f;
    default: return number >= 11 && number <= 19 ? greeting_fades[number - 11][1] : 0.0f;
    }
}

} // namespace

TEST(TimelineEndRules, EveryScenesLengthEndTestAndResetSet)
{
    TimelineWindow run;
    ASSERT_TRUE(run.ready);

    // Frames of 0.5 s: every clock sum is exact and every threshold but
    // 2.01 falls on a frame. Each frame must draw the scene the model says,
    // so every scene lasts what its end rule gives it, with nothing lost.
    const double frame = 0.5;
    int frame_number = 0;
    for (const EndRule& rule : end_rules) {
        SCOPED_TRACE(testing::Message() << "scene " << rule.scene_number);
        ASSERT_EQ(shared.scene_index, rule.scene_number);
        while (scene_drawn_at((frame_number + 1) * frame) == rule.scene_number) {
            const int queries = scripted_counter::queries();
            draw_frame_after(frame);
            ++frame_number;
            ASSERT_EQ(shared.scene_index, rule.scene_number) << "ended early, on frame " << frame_number;
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

        draw_frame_after(frame);
        ++frame_number;
        ASSERT_EQ(shared.scene_index, rule.scene_number + 1) << "on frame " << frame_number;
        const int next = rule.scene_number + 1;
        // Past the next scene's start by the end of this frame.
        const double past = frame_number * frame - nominal_start(next);
        if (rule.scene_number == 5) {
            EXPECT_EQ(shared.scene_clock, scene_clock_before + 0.5f);
        }
        if (rule.scene_number >= 0 && rule.scene_number <= 3) {
            EXPECT_EQ(shared.scene_clock, 0.375f) << "the intro words advance no timeline clock";
            EXPECT_EQ(shared.anim_clock, 0.375f) << "the intro words advance no timeline clock";
        }
        if (rule.scene_number == 4) {
            // Scene 5's clocks take what the last word's frame ran past 36 s.
            EXPECT_NEAR(shared.scene_clock, 0.375 + past, 1e-5);
            EXPECT_NEAR(shared.anim_clock, 0.375 + past * 5.0, 1e-5);
        }
        for (unsigned clock = scene; clock <= fade2; clock <<= 1) {
            if (rule.reset & clock) {
                const double ahead = next >= 0 && next <= 4 && clock == fade1 ? frame : 0.0;
                const double expected = next > 22 ? 0.0 : (past + ahead) * rate_of(next, clock);
                EXPECT_NEAR(clock_ref(clock), expected, 1e-5) << "clock " << clock << " after the end";
            }
            if (rule.kept & clock) {
                EXPECT_GE(clock_ref(clock), 0.375f) << "clock " << clock << " reset";
                clock_ref(clock) = saved[clock] + (clock_ref(clock) - 0.375f); // what it carried stays
            }
        }
        EXPECT_FALSE(quit_before);
        EXPECT_EQ(shared.quit_requested, rule.scene_number == 22);
    }

    // The end state: the four clocks at 0 and the run asked to stop, on
    // the frame the nominal length gives (151.02 s: the frame of 151.5).
    EXPECT_EQ(frame_number, 303);
    EXPECT_EQ(shared.scene_index, 23);
    EXPECT_EQ(shared.scene_clock, 0.0f);
    EXPECT_EQ(shared.anim_clock, 0.0f);
    EXPECT_EQ(shared.text_fade[0], 0.0f);
    EXPECT_EQ(shared.text_fade[1], 0.0f);
    EXPECT_TRUE(shared.quit_requested);
}

TEST(TimelineEndRules, EverySceneStartsOnTheFrameItsNominalStartGivesAtAnyRate)
{
    // At 24, 30, 60 and 144 frames a second (deltas with no exact binary
    // form, summed in floats) each scene's first frame is the one the model
    // gives, or the next: nothing is lost at a change, so no scene is more
    // than a frame late, however late in the sequence.
    for (const int fps : {24, 30, 60, 144}) {
        SCOPED_TRACE(testing::Message() << fps << " frames a second");
        reset_system_state();
        TimelineWindow run(16, 12);
        ASSERT_TRUE(run.ready);
        glEnable(GL_RASTERIZER_DISCARD); // only the clocks matter here
        // The scripted counter counts microseconds: the frame it is given.
        const double frame = std::round(1e6 / fps) / 1e6;
        int first_frame[25];
        for (int& f : first_frame)
            f = -1;
        for (int n = 0; n < 160 * fps && !shared.quit_requested; ++n) {
            if (first_frame[shared.scene_index + 1] < 0)
                first_frame[shared.scene_index + 1] = n;
            draw_frame_after(frame);
            if (shared.quit_requested)
                first_frame[24] = n + 1;
        }
        glDisable(GL_RASTERIZER_DISCARD);
        for (int scene = -1; scene <= 23; ++scene) {
            // The model's first frame: drawn at the first time at or past
            // the start (past it, for scenes 1 to 5).
            int model = 0;
            while (scene_drawn_at(model * frame) < scene)
                ++model;
            EXPECT_GE(first_frame[scene + 1], model) << "scene " << scene;
            EXPECT_LE(first_frame[scene + 1], model + 1) << "scene " << scene;
        }
    }
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

TEST(TimelineEndRules, LongFramesEndOneSceneEachAndCarryTheRest)
{
    TimelineWindow run;
    ASSERT_TRUE(run.ready);

    // Every frame is far longer than any scene: each scene ends on its
    // first frame, one a frame, and what is past its end goes on into the
    // next scene, so after n frames of 1000 s the sequence has run 1000 n
    // seconds of scenes and the clock of a scene-timed scene shows what is
    // past that scene's start.
    int frames = 0;
    while (shared.scene_index < 23 && frames < 100) {
        const int before = shared.scene_index;
        draw_frame_after(1000.0);
        ++frames;
        ASSERT_EQ(shared.scene_index - before, 1) << "scene " << before;
        const int now = shared.scene_index;
        if (now >= 10 && now <= 22) {
            EXPECT_NEAR(shared.scene_clock, 1000.0 * frames - nominal_start(now), 0.1) << "scene " << now;
        }
    }
    EXPECT_EQ(frames, 24);
    EXPECT_EQ(shared.scene_index, 23);
}

TEST(TimelineEndRules, TheNextSceneStartsWithWhatTheLongEndingFrameHadLeft)
{
    TimelineWindow run;
    ASSERT_TRUE(run.ready);
    skip_to_scene(10);

    draw_frame_after(0.5);
    draw_frame_after(4.0); // scene 10 had 3.5 s left: 0.5 s of scene 11 in it
    ASSERT_EQ(shared.scene_index, 11);
    EXPECT_EQ(shared.scene_clock, 0.5f);
    EXPECT_EQ(shared.text_fade[0], 0.5f * 0.3f);
    draw_frame_after(0.5);
    EXPECT_EQ(shared.scene_index, 11);
    EXPECT_EQ(shared.scene_clock, 1.0f);
    EXPECT_EQ(shared.text_fade[0], 1.0f * 0.3f);
    EXPECT_EQ(shared.text_fade[1], 1.0f * 0.3f);
}

TEST(TimelineEndRules, ANeverResetClockMovesAtTheNextScenesRateFromTheEnd)
{
    TimelineWindow run;
    ASSERT_TRUE(run.ready);
    skip_to_scene(19);
    for (int frame = 0; frame < 11; ++frame)
        draw_frame_after(0.5);
    ASSERT_EQ(shared.scene_index, 19);
    const float swarm = shared.swarm_angle;

    // Scene 19 turns the swarm at 25 a second, scene 20 holds it: of a
    // 2 s last frame, only the first 0.5 s turns it.
    draw_frame_after(2.0);
    ASSERT_EQ(shared.scene_index, 20);
    EXPECT_NEAR(shared.swarm_angle, swarm + 0.5f * 25.0f, 1e-4);
    EXPECT_EQ(shared.scene_clock, 1.5f);
    EXPECT_EQ(shared.anim_clock, 0.75f);
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

    // A last frame of 2.5 s leaves scene 6 with 2 s instead of 4, and its
    // fade 2 s along.
    draw_frame_after(2.5);
    ASSERT_EQ(shared.scene_index, 6);
    EXPECT_EQ(shared.scene_clock, 7.0f);
    EXPECT_FLOAT_EQ(shared.anim_clock, 2.0f * 0.243f);
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
    EXPECT_EQ(shared.scene_clock, 0.625f) << "scene 6 was 0.5 s past its end already";
    EXPECT_FLOAT_EQ(shared.anim_clock, 0.625f / 6.0f);
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
    draw_frame_after(0.016); // 2.012: 4 ms past the end
    EXPECT_EQ(shared.scene_index, 10);
    EXPECT_NEAR(shared.anim_clock, 0.004f * 0.5f, 1e-5);
    EXPECT_NEAR(shared.scene_clock, 0.004f, 1e-5);
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
    EXPECT_EQ(shared.text_fade[0], 0.5f) << "3.25 found, 0.25 for the frame, 0.5 past 3";
}
