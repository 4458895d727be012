// The capture tool's offscreen target in a real Mesa context: its size,
// depth buffer and viewport, the row order of what it reads back, and the
// first frame of the real sequence drawn into it.
#include "harness/test_support.h"

#include "app/entry.h"
#include "app/gl_window.h"
#include "app/init_gl.h"
#include "platform/offscreen_target.h"
#include "platform/host.h"
#include "resources/gl_state.h"
#include "timeline/timeline.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {
const std::uint8_t* pixel(const std::vector<std::uint8_t>& rgb, int width, int x, int y)
{
    return rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
}
} // namespace

TEST(CaptureTarget, HasTheRequestedSizeA16BitDepthBufferAndTheViewportOfThatSize)
{
    GlTestWindow window(800, 600);
    ASSERT_TRUE(window.ok());
    const char* error = nullptr;
    ASSERT_TRUE(offscreen_target_create(200, 100, &error)) << error;
    EXPECT_EQ(offscreen_target_width(), 200);
    EXPECT_EQ(offscreen_target_height(), 100);
    GLint depth_bits = 0, red_bits = 0, alpha_bits = -1;
    glGetIntegerv(GL_DEPTH_BITS, &depth_bits);
    glGetIntegerv(GL_RED_BITS, &red_bits);
    glGetIntegerv(GL_ALPHA_BITS, &alpha_bits);
    EXPECT_EQ(depth_bits, 16);
    EXPECT_EQ(red_bits, 8);
    EXPECT_EQ(alpha_bits, 0);

    resize_viewport(200, 100);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 200);
    EXPECT_EQ(viewport[3], 100);
    double projection[16] = {};
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    // gluPerspective: the x scale is the y scale over the aspect ratio 2.
    EXPECT_NEAR(projection[0] * 2.0, projection[5], 1e-6);
    offscreen_target_destroy();
}

TEST(CaptureTarget, ReadsRowsTopFirstAtSizesThatAreNotMultiplesOfFour)
{
    GlTestWindow window(800, 600);
    ASSERT_TRUE(window.ok());
    const char* error = nullptr;
    ASSERT_TRUE(offscreen_target_create(33, 17, &error)) << error;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    // GL counts rows from the bottom: rows 9..16 are the upper part.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 9, 33, 8);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(32, 0, 1, 1); // the bottom-right pixel green
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);

    std::vector<std::uint8_t> rgb(33 * 17 * 3 + 3, 0xAB); // one guard pixel
    offscreen_target_read_rgb(rgb.data());
    for (int y = 0; y < 17; ++y) {
        for (int x = 0; x < 33; ++x) {
            const std::uint8_t* p = pixel(rgb, 33, x, y);
            bool upper = y < 8;
            bool corner = x == 32 && y == 16;
            ASSERT_EQ(p[0], upper ? 255 : 0) << x << "," << y;
            ASSERT_EQ(p[1], corner ? 255 : 0) << x << "," << y;
            ASSERT_EQ(p[2], 0) << x << "," << y;
        }
    }
    EXPECT_EQ(rgb[33 * 17 * 3], 0xAB) << "wrote past the frame";
    offscreen_target_destroy();
}

TEST(CaptureTarget, TheFirstFrameOfTheSequenceIsTheStartPictureOnBlack)
{
    GlTestWindow window(800, 600);
    ASSERT_TRUE(window.ok());
    ASSERT_TRUE(init_gl());
    const char* error = nullptr;
    ASSERT_TRUE(offscreen_target_create(160, 120, &error)) << error;
    resize_viewport(160, 120);
    start_scripted_frame_timer();
    draw_frame_after(1.0 / 60.0);
    EXPECT_EQ(shared.scene_index, -1);

    std::vector<std::uint8_t> rgb(160 * 120 * 3);
    offscreen_target_read_rgb(rgb.data());
    // The quad fills the middle 60 % of the height at depth 4: rows 24..95,
    // columns 44..115; everything else is the black clear.
    for (int y : {0, 10, 22, 97, 119})
        for (int x = 0; x < 160; x += 7)
            ASSERT_EQ(pixel(rgb, 160, x, y)[0] | pixel(rgb, 160, x, y)[1] | pixel(rgb, 160, x, y)[2], 0) << x << "," << y;
    for (int x : {0, 20, 42, 117, 140, 159})
        EXPECT_EQ(pixel(rgb, 160, x, 60)[0] | pixel(rgb, 160, x, 60)[1] | pixel(rgb, 160, x, 60)[2], 0) << x;
    int lit = 0;
    for (int y = 24; y < 96; ++y)
        for (int x = 44; x < 116; ++x)
            lit += pixel(rgb, 160, x, y)[0] + pixel(rgb, 160, x, y)[1] + pixel(rgb, 160, x, y)[2] > 48;
    EXPECT_GT(lit, 72 * 72 / 20) << "the picture shows in the middle";
    offscreen_target_destroy();
}

TEST(CaptureTarget, ASizeBeyondTheDriversLimitIsRefusedWithAReason)
{
    GlTestWindow window(800, 600);
    ASSERT_TRUE(window.ok());
    GLint max_size = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &max_size);
    ASSERT_GT(max_size, 0);
    const char* error = nullptr;
    EXPECT_FALSE(offscreen_target_create(max_size + 1, 16, &error));
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(offscreen_target_width(), 0);
}
