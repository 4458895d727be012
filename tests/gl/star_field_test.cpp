// The star field on a real Mesa context: the two coloured copies of each
// star, the per-frame steps, the GL state it leaves, and scene 8's picture.
#include "app/entry.h"
#include "app/init_gl.h"
#include "effects/star_field.h"
#include "resources/gl_state.h"
#include "resources/textures.h"
#include "support/gl_feedback.h"
#include "support/gl_matrix.h"
#include "harness/test_support.h"
#include "timeline/timeline.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {
class StarField : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.ok());
        ASSERT_TRUE(init_gl()); // fills the star records last
        start_scripted_frame_timer();
    }
    void frame_time(double seconds)
    {
        scripted_counter::advance(static_cast<std::int64_t>(seconds * 1000000.0 + 0.5));
        shared.frame_timer->tick();
    }
    GlTestWindow window;
};
} // namespace

TEST_F(StarField, StarZeroShowsStarFortyNinesColoursThenItsOwn)
{
    frame_time(0.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const auto quads = primitives_of(capture_feedback([] { draw_star_field(); }), FeedbackKind::polygon);
    // Mesa may hand a quad back as two triangles.
    ASSERT_GE(quads.size(), 2u);
    const std::size_t per_copy = quads[0].vertices.size() == 3 ? 2 : 1;
    ASSERT_GE(quads.size(), 2 * per_copy);
    const float first[3] = {217 / 255.0f, 29 / 255.0f, 42 / 255.0f};
    const float second[3] = {35 / 255.0f, 190 / 255.0f, 132 / 255.0f};
    // Both copies centred on the star's place on its tilted circle.
    const double d = 0.4, a = 361.0 * M_PI / 180.0;
    const auto centre = window_of(mat_identity(), d * std::cos(a), d * std::sin(a) * std::sqrt(0.5),
                                  -5.0 - d * std::sin(a) * std::sqrt(0.5));
    for (int copy = 0; copy < 2; ++copy) {
        SCOPED_TRACE(copy);
        const float* colour = copy == 0 ? first : second;
        double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
        for (std::size_t q = copy * per_copy; q < (copy + 1) * per_copy; ++q)
            for (const auto& p : quads[q].vertices) {
                EXPECT_NEAR(p.r, colour[0], 1e-6);
                EXPECT_NEAR(p.g, colour[1], 1e-6);
                EXPECT_NEAR(p.b, colour[2], 1e-6);
                EXPECT_FLOAT_EQ(p.a, 1.0f);
                x0 = std::min<double>(x0, p.x);
                x1 = std::max<double>(x1, p.x);
                y0 = std::min<double>(y0, p.y);
                y1 = std::max<double>(y1, p.y);
            }
        EXPECT_NEAR((x0 + x1) / 2, centre[0], 0.05);
        EXPECT_NEAR((y0 + y1) / 2, centre[1], 0.05);
        // A square 2 units wide, facing the viewer 5 units in.
        EXPECT_NEAR(x1 - x0, y1 - y0, 0.5);
    }
}

TEST_F(StarField, AnglesStepPerFrameEvenWithoutFrameTime)
{
    StarRecord before[50];
    std::copy(effects.stars, effects.stars + 50, before);
    frame_time(0.0);
    draw_star_field();
    EXPECT_EQ(effects.stars[0].angle, before[0].angle);
    // Angles are far from 0 by now, so allow for their float spacing.
    auto spacing = [](float v) { return std::nextafter(std::fabs(v), INFINITY) - std::fabs(v); };
    for (int n = 0; n < 50; ++n) {
        EXPECT_NEAR(effects.stars[n].angle - before[n].angle, 0.1 * n, spacing(effects.stars[n].angle)) << n;
        EXPECT_EQ(effects.stars[n].distance, before[n].distance);
        EXPECT_EQ(effects.stars[n].red, before[n].red);
    }
    EXPECT_NEAR(effects.star_spin, 0.5f, 1e-5);

    // A tenth of a second adds 1.5 degrees to every star on top.
    std::copy(effects.stars, effects.stars + 50, before);
    frame_time(0.1);
    draw_star_field();
    for (int n = 0; n < 50; ++n)
        EXPECT_NEAR(effects.stars[n].angle - before[n].angle, 1.5 + 0.1 * n, spacing(effects.stars[n].angle)) << n;
    EXPECT_NEAR(effects.star_spin, 1.0f, 1e-5);
}

// No distance ever falls below 0 in the demo; a star that did would come
// back 5 further out with three new colours from the field's generator.
TEST_F(StarField, StarWithNegativeDistanceReturnsNewlyColoured)
{
    effects.stars[7].distance = -1.0f;
    frame_time(0.0);
    draw_star_field();
    EXPECT_EQ(effects.stars[7].distance, 4.0f);
    // The generator's draws 201 to 203 (init_stars took the first 200), mod 256.
    EXPECT_EQ(effects.stars[7].red, 229);
    EXPECT_EQ(effects.stars[7].green, 192);
    EXPECT_EQ(effects.stars[7].blue, 247);
    EXPECT_FLOAT_EQ(effects.stars[8].distance, 1.36f); // untouched
}

TEST_F(StarField, LeavesItsDocumentedGlState)
{
    frame_time(0.02);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1.0f, -2.0f, 3.0f);
    glRotatef(30.0f, 0.0f, 0.0f, 1.0f);
    const Mat4 caller = modelview_matrix();
    const StarRecord last = effects.stars[49];
    draw_star_field();

    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)); // depth state untouched
    EXPECT_EQ(gl_int(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_EQ(gl_int(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(gl_int(GL_BLEND_DST), GL_ONE);
    EXPECT_EQ(static_cast<GLuint>(gl_int(GL_TEXTURE_BINDING_2D)), resources.texture_ids[star_sprite_slot]);
    EXPECT_NE(resources.texture_ids[star_sprite_slot], 0u);
    float colour[4];
    gl_floats(GL_CURRENT_COLOR, colour);
    EXPECT_NEAR(colour[0], last.red / 255.0f, 1e-6);
    EXPECT_NEAR(colour[1], last.green / 255.0f, 1e-6);
    EXPECT_NEAR(colour[2], last.blue / 255.0f, 1e-6);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);
    EXPECT_EQ(mat_distance(modelview_matrix(), caller), 0.0);
}

// Scene 8 through render_frame: coloured stars on black.
TEST_F(StarField, SceneEightShowsColouredStarsOnBlack)
{
    shared.scene_index = 8;
    draw_frame_after(1.0 / 60.0);
    draw_frame_after(1.0 / 60.0);
    ASSERT_EQ(shared.scene_index, 8);
    std::vector<unsigned char> rgba(static_cast<std::size_t>(window.width * window.height * 4));
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, window.width, window.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    auto at = [&](int x, int y) { return &rgba[static_cast<std::size_t>((y * window.width + x) * 4)]; };
    for (auto corner : {at(0, 0), at(window.width - 1, 0), at(0, window.height - 1),
                        at(window.width - 1, window.height - 1)})
        EXPECT_LT(std::max({corner[0], corner[1], corner[2]}), 24); // at most a faint glow
    int black = 0, lit = 0, coloured = 0;
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        const int hi = std::max({rgba[i], rgba[i + 1], rgba[i + 2]});
        const int lo = std::min({rgba[i], rgba[i + 1], rgba[i + 2]});
        if (hi < 24)
            ++black;
        else
            ++lit;
        if (hi - lo > 60)
            ++coloured;
    }
    EXPECT_GT(black, static_cast<int>(rgba.size() / 4 / 4)); // a dark sky around them
    std::printf("scene 8: %d dark, %d lit, %d coloured pixels\n", black, lit, coloured);
    EXPECT_GT(lit, 2000);
    EXPECT_GT(coloured, 500);
}
