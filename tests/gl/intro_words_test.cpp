// The intro words and the window frame on a real Mesa context: the word's
// clock and the scene advance, the colour it leaves, and the frame's bands
// and outline read back through feedback and pixels.
#include "app/entry.h"
#include "app/init_gl.h"
#include "effects/intro_words.h"
#include "resources/gl_state.h"
#include "support/gl_feedback.h"
#include "support/gl_matrix.h"
#include "support/gl_view.h"
#include "harness/test_support.h"
#include "timeline/timeline.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {
class IntroWords : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.ok());
        ASSERT_TRUE(init_gl());
        start_scripted_frame_timer();
        shared.scene_index = 0;
    }
    void frame_time(double seconds)
    {
        scripted_counter::advance(static_cast<std::int64_t>(seconds * 1000000.0 + 0.5));
        shared.frame_timer->tick();
    }
    float current_alpha()
    {
        float colour[4];
        gl_floats(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(colour[0], 0.0f);
        EXPECT_EQ(colour[1], 0.0f);
        EXPECT_EQ(colour[2], 0.0f);
        return colour[3];
    }
    GlTestWindow window;
};
} // namespace

TEST_F(IntroWords, ClockExactlyAtTheLimitGoesOn)
{
    frame_time(0.1);
    float clock = 3.0f;
    EXPECT_FALSE(draw_intro_word(0.0f, 2.5f, 3.0f, 0.5f, "pigs..", clock));
    EXPECT_FLOAT_EQ(clock, 3.05f);
    // Found past the limit before the advance: finished, and the clock
    // still goes on by the frame's share (the timeline carries it on).
    EXPECT_TRUE(draw_intro_word(0.0f, 2.5f, 3.0f, 0.5f, "pigs..", clock));
    EXPECT_FLOAT_EQ(clock, 3.1f);
    // The effect leaves the scene to the timeline.
    EXPECT_EQ(shared.scene_index, 0);
    EXPECT_EQ(shared.text_fade[0], 0.0f);
}

TEST_F(IntroWords, WordFadesAlongAParabolaOfItsClock)
{
    frame_time(0.0);
    float clock = 0.0f;
    draw_intro_word(0.0f, 2.5f, 3.0f, 0.5f, "pigs..", clock);
    EXPECT_EQ(current_alpha(), 0.0f); // the first frame draws it invisibly
    clock = 1.5f;
    draw_intro_word(0.0f, 2.5f, 3.0f, 0.5f, "pigs..", clock);
    EXPECT_FLOAT_EQ(current_alpha(), 1.125f); // handed to GL unclamped
    clock = 3.2f;
    draw_intro_word(0.0f, 2.5f, 3.0f, 0.5f, "pigs..", clock);
    EXPECT_LT(current_alpha(), 0.0f);
}

TEST_F(IntroWords, LongFrameEndsTheSceneOneFrameLater)
{
    // Through the timeline's scene 1: the word's clock is text_fade[0], and
    // the frame that finds it past the limit moves on to scene 2, whose
    // word starts from what the clock ran past the limit: 3.15 found, 0.25
    // more for the frame, 0.4 past 3.
    shared.scene_index = 1;
    shared.text_fade[0] = 2.9f;
    shared.text_fade[1] = 0.75f;
    frame_time(0.5);
    render_frame();
    EXPECT_FLOAT_EQ(shared.text_fade[0], 3.15f);
    EXPECT_EQ(shared.scene_index, 1);
    frame_time(0.5);
    render_frame();
    EXPECT_NEAR(shared.text_fade[0], 0.4f, 1e-6f);
    EXPECT_EQ(shared.scene_index, 2);
    EXPECT_EQ(shared.text_fade[1], 0.75f); // the second line's clock is not the word's
}

TEST_F(IntroWords, NullTextDrawsNothingButKeepsTime)
{
    frame_time(0.2);
    float clock = 1.0f;
    const auto all = capture_feedback([&clock] { draw_intro_word(0.0f, 0.0f, 3.0f, 0.5f, nullptr, clock); });
    EXPECT_TRUE(all.empty());
    EXPECT_FLOAT_EQ(clock, 1.1f);
}

TEST_F(IntroWords, WordLeavesMatrixAndSwitchesAsFound)
{
    frame_time(0.1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(3.0f, 1.0f, -2.0f);
    const Mat4 caller = modelview_matrix();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    glLineWidth(1.0f);
    draw_intro_word(0.0f, 2.5f, 3.0f, 0.5f, "pigs..", shared.text_fade[0]);
    draw_window_frame(1.5f, 1.5f, 3.5f, 2.5f);
    EXPECT_EQ(mat_distance(modelview_matrix(), caller), 0.0);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(gl_int(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(gl_int(GL_DEPTH_FUNC), GL_ALWAYS);
    // The frame leaves opaque black and its outline's width.
    EXPECT_EQ(current_alpha(), 1.0f);
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 2.0f);
}

TEST_F(IntroWords, WindowFrameIsFourBandsAndAnOutline)
{
    // Wide enough that no band is clipped: window x = (x + 200) * 10.
    const FlatView view = set_flat_view(200, 200, 10);
    glShadeModel(GL_SMOOTH);
    const float x1 = -2.5f, y1 = -1.5f, x2 = -1.5f, y2 = 0.5f;
    const auto all = capture_feedback([&] { draw_window_frame(x1, y1, x2, y2); });
    auto obj = [&](float w) { return view.unit(w); };

    const double bands[4][4][2] = {
        {{-100, 100}, {x1, 100}, {x1, -100}, {-100, -100}},
        {{x1, 100}, {x2, 100}, {x2, y2}, {x1, y2}},
        {{x1, y1}, {x2, y1}, {x2, -100}, {x1, -100}},
        {{x2, 100}, {100, 100}, {100, -100}, {x2, -100}},
    };
    // Each band may come back whole or as two triangles; collect its corners.
    const auto polygons = primitives_of(all, FeedbackKind::polygon);
    ASSERT_TRUE(polygons.size() == 4 || polygons.size() == 8) << polygons.size();
    const std::size_t per_band = polygons.size() / 4;
    for (int b = 0; b < 4; ++b) {
        SCOPED_TRACE(b);
        for (int c = 0; c < 4; ++c) {
            bool found = false;
            for (std::size_t q = b * per_band; q < (b + 1) * per_band; ++q)
                for (const auto& v : polygons[q].vertices) {
                    EXPECT_FLOAT_EQ(v.r, 1.0f);
                    EXPECT_FLOAT_EQ(v.a, 0.7f);
                    if (std::fabs(obj(v.x) - bands[b][c][0]) < 1e-3 && std::fabs(obj(v.y) - bands[b][c][1]) < 1e-3)
                        found = true;
                }
            EXPECT_TRUE(found) << "corner " << c;
        }
    }
    const auto lines = primitives_of(all, FeedbackKind::line);
    ASSERT_EQ(lines.size(), 4u);
    const double outline[4][2][2] = {
        {{x1, y2}, {x2, y2}}, {{x2, y2}, {x2, y1}}, {{x2, y1}, {x1, y1}}, {{x1, y1}, {x1, y2}}};
    for (int l = 0; l < 4; ++l)
        for (int e = 0; e < 2; ++e) {
            const auto& v = lines[l].vertices[e];
            EXPECT_NEAR(obj(v.x), outline[l][e][0], 1e-3);
            EXPECT_NEAR(obj(v.y), outline[l][e][1], 1e-3);
            EXPECT_EQ(v.r, 0.0f);
            EXPECT_EQ(v.a, 1.0f);
        }
}

// On black, the opening stays black and the field around it is white at
// 0.7 over it.
TEST_F(IntroWords, OnlyTheOpeningShowsWhatLiesBehind)
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    draw_window_frame(0.0f, 0.0f, 1.5f, 1.5f); // scene 2's opening
    const Mat4 plane = mat_translate(0, 0, -8);
    const auto inside = window_of(plane, 0.75, 0.75, 0);
    unsigned char p[4];
    window.pixel(static_cast<int>(inside[0]), static_cast<int>(inside[1]), p);
    EXPECT_LT(p[0], 8);
    for (auto [x, y] : {std::pair{-2.0, -1.0}, std::pair{3.0, 1.0}, std::pair{0.75, 2.5}, std::pair{0.75, -1.0}}) {
        const auto w = window_of(plane, x, y, 0);
        window.pixel(static_cast<int>(w[0]), static_cast<int>(w[1]), p);
        EXPECT_NEAR(p[0], 179, 8) << x << "," << y;
    }
    // The outline is drawn black over the field's edge.
    const auto edge = window_of(plane, 0.75, 1.5, 0);
    window.pixel(static_cast<int>(edge[0]), static_cast<int>(edge[1]), p);
    EXPECT_LT(p[0], 100);
}

// On white, a word at clock 0 leaves no mark; at clock 1.5 it is drawn
// black, and it moves right with its clock.
TEST_F(IntroWords, WordIsInvisibleAtFirstAndDriftsRight)
{
    frame_time(0.0);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    std::vector<unsigned char> rgba(static_cast<std::size_t>(window.width * window.height * 4));
    auto dark_pixels = [&](double* cx) {
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, window.width, window.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        int count = 0;
        double sum = 0;
        for (int i = 0; i < window.width * window.height; ++i)
            if (rgba[static_cast<std::size_t>(i) * 4] < 128) {
                ++count;
                sum += i % window.width;
            }
        if (cx)
            *cx = count ? sum / count : -1;
        return count;
    };
    glClear(GL_COLOR_BUFFER_BIT);
    draw_intro_word(-1.0f, 0.0f, 3.0f, 0.5f, "pigs..", shared.text_fade[0]);
    EXPECT_EQ(dark_pixels(nullptr), 0);

    // One unit of word time moves the word one unit right, 13.01 units in.
    double at_one = 0, at_two = 0;
    shared.text_fade[0] = 1.0f;
    glClear(GL_COLOR_BUFFER_BIT);
    draw_intro_word(-1.0f, 0.0f, 3.0f, 0.5f, "pigs..", shared.text_fade[0]);
    EXPECT_GT(dark_pixels(&at_one), 200);
    shared.text_fade[0] = 2.0f;
    glClear(GL_COLOR_BUFFER_BIT);
    draw_intro_word(-1.0f, 0.0f, 3.0f, 0.5f, "pigs..", shared.text_fade[0]);
    EXPECT_GT(dark_pixels(&at_two), 200);
    const double unit = window_of(mat_identity(), 1.0, 0.0, -13.01)[0] - window_of(mat_identity(), 0.0, 0.0, -13.01)[0];
    EXPECT_NEAR(at_two - at_one, unit, 2.0);
}
