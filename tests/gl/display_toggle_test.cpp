// The F1 toggle in a real GL context: the new context gets every resource,
// the baseline state and then the state the scenes carry, as it stood; the
// scenes' own (non-GL) state is left as it was.
#include "app/display_toggle.h"
#include "app/entry.h"
#include "app/gl_window.h"
#include "app/init_gl.h"
#include "effects/star_field.h"
#include "resources/display_lists.h"
#include "resources/gl_state.h"
#include "resources/outline_font.h"
#include "resources/textures.h"
#include "resources/unit_quad.h"
#include "harness/test_support.h"
#include "platform/host.h"
#include "support/window_test_support.h"
#include "timeline/timeline.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace {

class DisplayToggle : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = make_media_folder();
        ASSERT_FALSE(folder.empty());
        previous = std::filesystem::current_path();
        ASSERT_EQ(chdir(folder.c_str()), 0);
        ASSERT_TRUE(open_window("eLka", 320, 240, 16, false));
        ASSERT_TRUE(init_gl());
    }
    void TearDown() override
    {
        close_window();
        if (!previous.empty())
            std::filesystem::current_path(previous);
        if (!folder.empty())
            std::filesystem::remove_all(folder);
    }
    BoxRecorder boxes{IDYES};
    std::string folder, previous;
};

void expect_color(GLenum what, const float (&want)[4])
{
    float got[4] = {};
    glGetFloatv(what, got);
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(got[i], want[i]) << "component " << i;
}

GLint get_int(GLenum what)
{
    GLint v = 0;
    glGetIntegerv(what, &v);
    return v;
}

} // namespace

TEST_F(DisplayToggle, CarriesTheScenesStateIntoTheNewContext)
{
    // The state as a scene in the middle of the sequence leaves it.
    const float clear[4] = {1.0f, 1.0f, 1.0f, 0.25f};
    const float color[4] = {0.5f, 0.25f, 0.125f, 0.75f};
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    glColor4f(color[0], color[1], color[2], color[3]);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEnable(GL_FOG);
    glDisable(GL_LINE_SMOOTH);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthFunc(GL_LEQUAL);
    glLineWidth(1.6f);
    glBindTexture(GL_TEXTURE_2D, resources.texture_ids[star_sprite_slot]);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1.0f, -2.0f, -6.0f);
    glRotatef(30.0f, 0.0f, 0.0f, 1.0f);
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    const GLuint old_star_texture = resources.texture_ids[star_sprite_slot];

    // And state that is not GL's.
    shared.scene_index = 7;
    shared.scene_clock = 12.5f;
    shared.tunnel_angle = 33.0f;
    StarRecord stars_before[50];
    std::memcpy(stars_before, effects.stars, sizeof effects.stars);
    const int star_bytes = static_cast<int>(sizeof effects.stars);
    const float star_spin_before = effects.star_spin;

    ASSERT_TRUE(toggle_display());
    ASSERT_TRUE(platform_context_current());
    EXPECT_STREQ(platform_window_title(app.main_window), "elite pAxo");

    expect_color(GL_COLOR_CLEAR_VALUE, clear);
    expect_color(GL_CURRENT_COLOR, color);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    EXPECT_FALSE(glIsEnabled(GL_LINE_SMOOTH));
    EXPECT_EQ(get_int(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(get_int(GL_BLEND_DST), GL_ONE);
    EXPECT_EQ(get_int(GL_DEPTH_FUNC), GL_LEQUAL);
    float width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_FLOAT_EQ(width, 1.6f);
    EXPECT_EQ(get_int(GL_MATRIX_MODE), GL_MODELVIEW);
    float now[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, now);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(now[i], modelview[i]) << "element " << i;
    // The star sprite is bound, under whatever name it has now.
    EXPECT_EQ(static_cast<GLuint>(get_int(GL_TEXTURE_BINDING_2D)), resources.texture_ids[star_sprite_slot]);
    (void)old_star_texture;

    // The resources exist in the new context.
    for (int slot = 0; slot < 3; ++slot)
        EXPECT_TRUE(glIsTexture(resources.texture_ids[slot])) << "slot " << slot;
    EXPECT_TRUE(glIsList(resources.hexagon_list));
    EXPECT_TRUE(glIsList(resources.arc_list));
    EXPECT_TRUE(glIsList(resources.font_list_base + 'A'));
    // The baseline that is not carried: the fog and the shading.
    float fog_end = 0;
    glGetFloatv(GL_FOG_END, &fog_end);
    EXPECT_FLOAT_EQ(fog_end, 30.0f);
    EXPECT_EQ(get_int(GL_FOG_MODE), GL_LINEAR);
    EXPECT_EQ(get_int(GL_SHADE_MODEL), GL_SMOOTH);
    // The projection of the new 640 x 480 window.
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);

    // Non-GL state untouched.
    EXPECT_EQ(shared.scene_index, 7);
    EXPECT_EQ(shared.scene_clock, 12.5f);
    EXPECT_EQ(shared.tunnel_angle, 33.0f);
    EXPECT_EQ(std::memcmp(stars_before, effects.stars, star_bytes), 0);
    EXPECT_EQ(effects.star_spin, star_spin_before);
    EXPECT_FALSE(app.key_down[VK_F1]);
}

TEST_F(DisplayToggle, NothingBoundStaysUnbound)
{
    glBindTexture(GL_TEXTURE_2D, 0);
    ASSERT_TRUE(toggle_display());
    EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), 0);
}

TEST_F(DisplayToggle, DrawsTheSameAfterTheToggle)
{
    // The tunnel wall is the media folder's 4 x 4 picture, texel i (file
    // order, bottom row first) stored as blue 40 (i % 4), green 200, red
    // 16 i. The textured unit square 2 units in covers the whole view, so the
    // middle of the window samples the middle of the picture, halfway
    // between texels 5, 6, 9 and 10: red (80 + 96 + 144 + 160) / 4 = 120,
    // green 200, blue (40 + 80 + 40 + 80) / 4 = 60.
    const int want[3] = {120, 200, 60};
    auto draw_and_read_centre = [](int w, int h, unsigned char rgb[3]) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw_unit_quad();
        glFinish();
        unsigned char rgba[4] = {};
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(w / 2, h / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        for (int c = 0; c < 3; ++c)
            rgb[c] = rgba[c];
    };
    glClearColor(0.0f, 0.0f, 0.25f, 1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glDisable(GL_FOG);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, resources.texture_ids[tunnel_wall_slot]);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -2.0f);
    unsigned char before[3], after[3];
    draw_and_read_centre(320, 240, before);
    ASSERT_TRUE(toggle_display());
    // The carried state (texture on, the wall bound, the matrix) draws the
    // same picture in the new 640 x 480 window.
    draw_and_read_centre(640, 480, after);
    // A 16-bit colour buffer rounds to 5 or 6 bits a channel.
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(before[c], want[c], 10) << "channel " << c << " before the toggle";
        EXPECT_NEAR(after[c], want[c], 10) << "channel " << c << " after the toggle";
    }
}

TEST_F(DisplayToggle, KeepsTheTexturesAndListsWithoutGoingBackToTheDisk)
{
    // The pictures go away mid-show: the toggle must not need them.
    std::filesystem::remove_all(std::filesystem::path(folder) / "files");
    const GLuint wall = resources.texture_ids[tunnel_wall_slot], hexagon = resources.hexagon_list, font = resources.font_list_base;
    ASSERT_TRUE(toggle_display());
    EXPECT_TRUE(platform_gl_objects_kept());
    for (const auto& box : boxes.boxes)
        EXPECT_NE(box.caption, "Error") << box.text;
    EXPECT_EQ(resources.texture_ids[tunnel_wall_slot], wall);
    EXPECT_EQ(resources.hexagon_list, hexagon);
    EXPECT_EQ(resources.font_list_base, font);
    EXPECT_TRUE(glIsTexture(wall));
    EXPECT_TRUE(glIsList(hexagon));
    EXPECT_TRUE(glIsList(font + 'A'));
    // The picture is still there to sample: the wall's 4 x 4 texels.
    glBindTexture(GL_TEXTURE_2D, wall);
    EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), static_cast<GLint>(wall));
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 4);

    // And again the other way: the objects stay with every next context.
    ASSERT_TRUE(toggle_display());
    EXPECT_TRUE(platform_gl_objects_kept());
    EXPECT_TRUE(glIsTexture(wall));
    EXPECT_TRUE(glIsList(hexagon));
}

// Video ended and started again (the keeper of the objects went with it):
// the next window's context shares nothing, and the first toggle after
// keeps the objects afresh instead of going back to the disk.
TEST_F(DisplayToggle, KeepsTheObjectsAgainAfterVideoWasStartedAfresh)
{
    ASSERT_TRUE(toggle_display());
    ASSERT_TRUE(platform_gl_objects_kept());
    close_window();
    platform_shutdown_video();
    EXPECT_STREQ(platform_video_driver(), "");

    ASSERT_TRUE(open_window("eLka", 320, 240, 16, false));
    EXPECT_STREQ(platform_video_driver(), "offscreen");
    EXPECT_FALSE(platform_gl_objects_kept()); // no keeper to share with
    ASSERT_TRUE(init_gl());
    const GLuint wall = resources.texture_ids[tunnel_wall_slot];
    std::filesystem::remove_all(std::filesystem::path(folder) / "files");
    ASSERT_TRUE(toggle_display());
    EXPECT_TRUE(platform_gl_objects_kept());
    for (const auto& box : boxes.boxes)
        EXPECT_NE(box.caption, "Error") << box.text;
    EXPECT_EQ(resources.texture_ids[tunnel_wall_slot], wall);
    EXPECT_TRUE(glIsTexture(wall));
}
