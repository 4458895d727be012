// The baseline GL state that init_gl leaves for the first frame, and the
// fog it sets up, read back from a real Mesa context.
#include "support/timeline_support.h"

#include "app/init_gl.h"
#include "effects/star_field.h"
#include "resources/display_lists.h"
#include "resources/gl_state.h"
#include "resources/outline_font.h"
#include "resources/textures.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

TEST(GlState, BaselineAfterInitGl)
{
    GlTestWindow window(64, 48);
    ASSERT_TRUE(window.ok());
    ASSERT_TRUE(init_gl());

    EXPECT_EQ(gl_int(GL_SHADE_MODEL), GL_SMOOTH);

    float clear[4];
    gl_floats(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 0.0f);
    EXPECT_FLOAT_EQ(clear[1], 0.0f);
    EXPECT_FLOAT_EQ(clear[2], 0.0f);
    EXPECT_FLOAT_EQ(clear[3], 0.5f);

    float depth_clear[4];
    gl_floats(GL_DEPTH_CLEAR_VALUE, depth_clear);
    EXPECT_FLOAT_EQ(depth_clear[0], 1.0f);

    EXPECT_TRUE(gl_enabled(GL_DEPTH_TEST));
    EXPECT_EQ(gl_int(GL_DEPTH_FUNC), GL_ALWAYS);

    EXPECT_TRUE(gl_enabled(GL_BLEND));
    EXPECT_EQ(gl_int(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(gl_int(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);

    EXPECT_TRUE(gl_enabled(GL_LINE_SMOOTH));
    EXPECT_EQ(gl_int(GL_LINE_SMOOTH_HINT), GL_NICEST);
    EXPECT_EQ(gl_int(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);

    EXPECT_FALSE(gl_enabled(GL_FOG));
    EXPECT_EQ(gl_int(GL_FOG_MODE), GL_LINEAR);
    float fog_colour[4];
    gl_floats(GL_FOG_COLOR, fog_colour);
    EXPECT_FLOAT_EQ(fog_colour[0], 0.0f);
    EXPECT_FLOAT_EQ(fog_colour[1], 0.0f);
    EXPECT_FLOAT_EQ(fog_colour[2], 0.0f);
    EXPECT_FLOAT_EQ(fog_colour[3], 1.0f);
    float value[4];
    gl_floats(GL_FOG_START, value);
    EXPECT_FLOAT_EQ(value[0], 0.0f);
    gl_floats(GL_FOG_END, value);
    EXPECT_FLOAT_EQ(value[0], 30.0f);
    gl_floats(GL_FOG_DENSITY, value);
    EXPECT_FLOAT_EQ(value[0], 0.25f);
    EXPECT_EQ(gl_int(GL_FOG_HINT), GL_NICEST);

    EXPECT_FALSE(gl_enabled(GL_TEXTURE_2D));
}

namespace {

// A white, opaque, untextured square filling the view `distance` units in,
// drawn with the fog on; returns the red byte at the middle of the window.
int fogged_white_at(const GlTestWindow& window, float distance)
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_FOG);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -distance);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glRectf(-100.0f, -100.0f, 100.0f, 100.0f);
    glDisable(GL_FOG);
    unsigned char rgba[4];
    window.pixel(window.width / 2, window.height / 2, rgba);
    EXPECT_EQ(rgba[0], rgba[1]);
    EXPECT_EQ(rgba[0], rgba[2]);
    return rgba[0];
}

} // namespace

TEST(GlState, LinearFogHalfAtFifteenBlackFromThirty)
{
    GlTestWindow window(64, 48);
    ASSERT_TRUE(window.ok());
    ASSERT_TRUE(init_gl());

    // A 16-bit colour buffer holds half grey as 15/31 or 16/31 of full.
    EXPECT_NEAR(fogged_white_at(window, 15.0f), 128, 8);
    EXPECT_EQ(fogged_white_at(window, 30.0f), 0);
    EXPECT_EQ(fogged_white_at(window, 45.0f), 0);
    EXPECT_NEAR(fogged_white_at(window, 7.5f), 191, 8);
}

TEST(GlState, LaterShapeCoversEarlierWhateverTheDepth)
{
    GlTestWindow window(64, 48);
    ASSERT_TRUE(window.ok());
    ASSERT_TRUE(init_gl());

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    unsigned char rgba[4];
    window.pixel(32, 24, rgba);
    EXPECT_EQ(rgba[0], 0);
    EXPECT_EQ(rgba[1], 0);
    EXPECT_EQ(rgba[2], 0);

    glLoadIdentity();
    glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
    glTranslatef(0.0f, 0.0f, -5.0f);
    glRectf(-10.0f, -10.0f, 10.0f, 10.0f);
    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    glTranslatef(0.0f, 0.0f, -20.0f); // farther back, drawn later
    glRectf(-30.0f, -30.0f, 30.0f, 30.0f);
    window.pixel(32, 24, rgba);
    EXPECT_EQ(rgba[0], 0);
    EXPECT_EQ(rgba[1], 255);
}

TEST(GlState, FailedTexturesStopInitGlBeforeAnythingElse)
{
    GlTestWindow window(64, 48);
    ASSERT_TRUE(window.ok());

    // An empty working directory: none of the pictures can be found.
    char dir[] = "/tmp/elka-gl-state-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    char old_dir[4096];
    ASSERT_NE(getcwd(old_dir, sizeof old_dir), nullptr);
    ASSERT_EQ(chdir(dir), 0);
    const bool ok = init_gl();
    ASSERT_EQ(chdir(old_dir), 0);
    rmdir(dir);

    EXPECT_FALSE(ok) << "init_gl succeeded with no pictures to read";
    // A missing picture fails without a message: the reader is never asked.
    EXPECT_TRUE(window.boxes.boxes.empty());
    for (int slot = 0; slot < 5; ++slot)
        EXPECT_EQ(resources.texture_ids[slot], 0u) << "slot " << slot;
    EXPECT_EQ(resources.font_list_base, 0u);
    // The star records are not filled: the generator still gives its first
    // value (the rule's 41 from state 1), and every star sits at distance 0.
    for (const StarRecord& star : effects.stars)
        EXPECT_EQ(star.distance, 0.0f);
    EXPECT_EQ(star_rand(), 41);
    EXPECT_EQ(resources.hexagon_list, 0u);
    EXPECT_EQ(resources.arc_list, 0u);
    EXPECT_FALSE(gl_enabled(GL_DEPTH_TEST)); // GL's own defaults still stand
    EXPECT_FALSE(gl_enabled(GL_BLEND));
    EXPECT_FALSE(gl_enabled(GL_LINE_SMOOTH));
    EXPECT_EQ(gl_int(GL_DEPTH_FUNC), GL_LESS);
    EXPECT_EQ(gl_int(GL_FOG_MODE), GL_EXP);
    float clear[4];
    gl_floats(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[3], 0.0f);
}

namespace {

// What init_gl's observer saw at each step: which resources and state
// already existed then, read from GL and the layers' own records.
struct StepSeen {
    InitGlStep step;
    bool first_texture, hexagon_list, font_lists, depth_test, stars_filled;
};

void record_step(InitGlStep step, void* context)
{
    auto* seen = static_cast<std::vector<StepSeen>*>(context);
    seen->push_back({step, resources.texture_ids[tunnel_wall_slot] != 0 && glIsTexture(resources.texture_ids[tunnel_wall_slot]) == GL_TRUE,
                     resources.hexagon_list != 0 && glIsList(resources.hexagon_list) == GL_TRUE,
                     resources.font_list_base != 0 && glIsList(resources.font_list_base + 'A') == GL_TRUE, gl_enabled(GL_DEPTH_TEST),
                     effects.stars[0].distance != 0.0f});
}

} // namespace

// The observer is told after each step, in the designed order, and each
// step has made its part before it is told (and nothing of the next).
TEST(GlState, InitGlTellsItsStepsInOrder)
{
    GlTestWindow window(64, 48);
    ASSERT_TRUE(window.ok());
    std::vector<StepSeen> seen;
    ASSERT_TRUE(init_gl(record_step, &seen));
    ASSERT_EQ(seen.size(), 5u);
    const InitGlStep order[] = {InitGlStep::textures, InitGlStep::display_lists, InitGlStep::font,
                                InitGlStep::baseline_state, InitGlStep::stars};
    for (std::size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].step, order[i]);
        EXPECT_TRUE(seen[i].first_texture);
        EXPECT_EQ(seen[i].hexagon_list, i >= 1);
        EXPECT_EQ(seen[i].font_lists, i >= 2);
        EXPECT_EQ(seen[i].depth_test, i >= 3);
        EXPECT_EQ(seen[i].stars_filled, i >= 4);
    }
}

// Failed textures are the one step told; init_gl stops there.
TEST(GlState, InitGlTellsTheFailedTexturesAndNothingAfter)
{
    GlTestWindow window(64, 48);
    ASSERT_TRUE(window.ok());
    char dir[] = "/tmp/elka-gl-steps-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    ASSERT_EQ(chdir(dir), 0); // no pictures here; the test's folder is put back after it
    std::vector<StepSeen> seen;
    EXPECT_FALSE(init_gl(record_step, &seen));
    rmdir(dir);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].step, InitGlStep::textures);
    EXPECT_FALSE(seen[0].first_texture);
}
