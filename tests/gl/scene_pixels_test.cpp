// What some scenes look like, read back pixel by pixel: the start picture,
// the letterbox of the greetings, and the two end cards.
#include "support/timeline_support.h"

#include "resources/textures.h"
#include "resources/unit_quad.h"
#include "timeline/scene_steps.h"
#include "timeline/timeline.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <vector>

namespace {

std::vector<unsigned char> read_window(const GlTestWindow& window)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(window.width) * window.height * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, window.width, window.height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

const unsigned char* at(const std::vector<unsigned char>& pixels, const GlTestWindow& window, int x, int y)
{
    return &pixels[(static_cast<size_t>(y) * window.width + x) * 4];
}

// White text in the middle of a black view: every pixel grey (black, white
// or the antialiased edge between), a fair number of them white, all of
// those well inside the view and centred across it.
void expect_white_text_on_black(const GlTestWindow& window)
{
    const std::vector<unsigned char> pixels = read_window(window);
    int white = 0;
    int min_x = window.width, max_x = -1, min_y = window.height, max_y = -1;
    for (int y = 0; y < window.height; ++y)
        for (int x = 0; x < window.width; ++x) {
            const unsigned char* p = at(pixels, window, x, y);
            ASSERT_EQ(p[0], p[1]) << x << "," << y;
            ASSERT_EQ(p[0], p[2]) << x << "," << y;
            if (p[0] < 200)
                continue;
            ++white;
            min_x = std::min(min_x, x);
            max_x = std::max(max_x, x);
            min_y = std::min(min_y, y);
            max_y = std::max(max_y, y);
        }
    ASSERT_GT(white, 150) << "no text drawn";
    EXPECT_GT(min_x, window.width / 5);
    EXPECT_LT(max_x, window.width * 4 / 5);
    EXPECT_GT(min_y, window.height / 4);
    EXPECT_LT(max_y, window.height * 3 / 4);
    EXPECT_NEAR((min_x + max_x) / 2.0, window.width / 2.0, window.width / 20.0) << "centred across the view";
    // The text stands on the view's middle line: mostly above it.
    EXPECT_LT(min_y, window.height / 2 + 2);
    EXPECT_GT(max_y, window.height / 2 + 5);
    for (int x = 0; x < window.width; ++x) {
        EXPECT_EQ(at(pixels, window, x, 0)[0], 0);
        EXPECT_EQ(at(pixels, window, x, window.height - 1)[0], 0);
    }
}

} // namespace

TEST(ScenePixels, StartPictureIsOpaqueAndUnmodulated)
{
    TimelineWindow run(64, 48);
    ASSERT_TRUE(run.ready);
    draw_frame_after(0.5);
    const std::vector<unsigned char> scene = read_window(run.window);

    // The same square drawn plainly: opaque white, no blending.
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -4.0f);
    glBindTexture(GL_TEXTURE_2D, texture_ids[2]);
    glEnable(GL_TEXTURE_2D);
    draw_unit_quad();
    glDisable(GL_TEXTURE_2D);
    const std::vector<unsigned char> plain = read_window(run.window);

    int picture = 0;
    for (size_t i = 0; i < scene.size(); i += 4) {
        ASSERT_EQ(scene[i], plain[i]);
        ASSERT_EQ(scene[i + 1], plain[i + 1]);
        ASSERT_EQ(scene[i + 2], plain[i + 2]);
        if (scene[i] | scene[i + 1] | scene[i + 2])
            ++picture;
    }
    EXPECT_GT(picture, 0);
    // The square covers the middle 60 percent of the height, on black.
    for (int x = 0; x < 64; ++x) {
        EXPECT_EQ(at(scene, run.window, x, 2)[0], 0);
        EXPECT_EQ(at(scene, run.window, x, 45)[0], 0);
    }
}

TEST(ScenePixels, GreetingsShowTwoBlackBarsAroundAnOpenBand)
{
    TimelineWindow run(320, 240);
    ASSERT_TRUE(run.ready);
    skip_to_scene(11);
    draw_frame_after(0.5); // the first frame: both lines still at alpha 0

    // At depth 10 the view is 8.28 units high; the bars' inner edges at
    // y -2 and 2 lie 58 pixels below and above the middle row.
    const std::vector<unsigned char> pixels = read_window(run.window);
    for (int x : {5, 60, 120, 170}) {
        SCOPED_TRACE(testing::Message() << "column " << x);
        for (int y = 0; y < 240; ++y) {
            const int red = at(pixels, run.window, x, y)[0];
            if (y < 58 || y > 182) {
                ASSERT_EQ(red, 0) << "bar at row " << y;
            } else if (y > 64 && y < 176) {
                ASSERT_EQ(red, 255) << "band at row " << y;
            }
        }
    }
}

TEST(ScenePixels, FirstEndCardIsWhiteTextOnBlack)
{
    TimelineWindow run(320, 240);
    ASSERT_TRUE(run.ready);
    skip_to_scene(21);
    for (int frame = 0; frame < 4; ++frame)
        draw_frame_after(0.5);
    ASSERT_EQ(anim_clock, 2.0f);
    draw_frame_after(0.5); // drawn at alpha 2 * (4 - 2), clamped to opaque
    ASSERT_EQ(scene_index, 21);
    expect_white_text_on_black(run.window);
}

TEST(ScenePixels, LastEndCardIsWhiteTextOnBlack)
{
    TimelineWindow run(320, 240);
    ASSERT_TRUE(run.ready);
    skip_to_scene(22);
    for (int frame = 0; frame < 4; ++frame)
        draw_frame_after(0.5);
    draw_frame_after(0.5);
    ASSERT_EQ(scene_index, 22);
    expect_white_text_on_black(run.window);
}

TEST(ScenePixels, EndCardTextFadesInFromNothing)
{
    TimelineWindow run(320, 240);
    ASSERT_TRUE(run.ready);
    skip_to_scene(22);
    draw_frame_after(0.5); // anim_clock 0: the text at alpha 0
    const std::vector<unsigned char> pixels = read_window(run.window);
    for (size_t i = 0; i < pixels.size(); i += 4)
        ASSERT_EQ(pixels[i], 0) << "pixel " << i / 4;
}
