// The course of GL state along the whole sequence: what every frame leaves
// for the next, read back with glGet after each frame of each scene.
#include "support/timeline_support.h"

#include "app/entry.h"
#include "timeline/timeline.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

namespace {

struct Rgba {
    float r, g, b, a;
};

Rgba clear_colour_of(int scene)
{
    if (scene == -1)
        return {0, 0, 0, 1};
    if (scene <= 5)
        return {1, 1, 1, 0.5f};
    if (scene <= 9)
        return {0, 0, 0, 0};
    return {1, 1, 1, 1};
}

bool blending_after(int scene)
{
    // The triangle field and the star field end with blending off; the
    // tunnel turns it on again, scene 9 turns it on after its stars.
    return scene != 6 && scene != 8;
}

} // namespace

TEST(TimelineGlState, CourseAlongTheSequence)
{
    TimelineWindow run;
    ASSERT_TRUE(run.ready);

    int frames = 0;
    while (shared.scene_index <= 22 && frames < 1000) {
        const int scene = shared.scene_index;
        draw_frame_after(0.5);
        ++frames;
        SCOPED_TRACE(testing::Message() << "after a frame of scene " << scene);

        const Rgba want = clear_colour_of(scene);
        float clear[4];
        gl_floats(GL_COLOR_CLEAR_VALUE, clear);
        ASSERT_FLOAT_EQ(clear[0], want.r);
        ASSERT_FLOAT_EQ(clear[1], want.g);
        ASSERT_FLOAT_EQ(clear[2], want.b);
        ASSERT_FLOAT_EQ(clear[3], want.a);

        ASSERT_EQ(gl_enabled(GL_DEPTH_TEST), scene < 8) << "scene 8 turns depth testing off for good";
        ASSERT_EQ(gl_int(GL_DEPTH_FUNC), GL_ALWAYS);
        ASSERT_FALSE(gl_enabled(GL_TEXTURE_2D));
        ASSERT_FALSE(gl_enabled(GL_FOG));
        ASSERT_EQ(gl_enabled(GL_BLEND), blending_after(scene));

        // The star field's additive function stays until scene 9 ends.
        const bool additive = (scene == 8) || (scene == 9 && shared.scene_index == 9);
        ASSERT_EQ(gl_int(GL_BLEND_SRC), GL_SRC_ALPHA);
        ASSERT_EQ(gl_int(GL_BLEND_DST), additive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);

        // Scenes 1 to 4 set no matrix and draw nothing that moves it: they
        // work from scene 0's identity.
        if (scene >= 0 && scene <= 4) {
            float m[16];
            glGetFloatv(GL_MODELVIEW_MATRIX, m);
            for (int i = 0; i < 16; ++i)
                ASSERT_FLOAT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f) << "entry " << i;
        }
    }
    EXPECT_EQ(shared.scene_index, 23);
    EXPECT_TRUE(shared.quit_requested);
}

TEST(TimelineGlState, SceneZeroSetsWhatScenesOneToFourRelyOn)
{
    TimelineWindow run;
    ASSERT_TRUE(run.ready);
    skip_to_scene(0, 0.5);

    // Whatever the start scene left, scene 0 puts back identity and no
    // texturing on each of its frames.
    glEnable(GL_TEXTURE_2D);
    glLoadIdentity();
    glTranslatef(3.0f, 2.0f, 1.0f);
    draw_frame_after(0.5);
    EXPECT_FALSE(gl_enabled(GL_TEXTURE_2D));
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[12], 0.0f);
    EXPECT_FLOAT_EQ(m[13], 0.0f);
    EXPECT_FLOAT_EQ(m[14], 0.0f);
}
