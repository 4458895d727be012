// The presenting policy in a real Mesa context: straight into a window of
// the asked size whose buffers have all the demo needs, a drawable of the
// asked size for any other, the drawable kept while the window has no size,
// and the read-back of what was drawn.
#include "harness/test_support.h"

#include "present/presenter.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
GLint bound_framebuffer()
{
    GLint name = -1;
    glGetIntegerv(0x8CA6 /* GL_DRAW_FRAMEBUFFER_BINDING */, &name);
    return name;
}
} // namespace

TEST(PresentingPolicy, DrawsStraightOnlyIntoAWindowOfTheAskedSizeWithItsOwnBuffers)
{
    GlTestWindow window(800, 600);
    ASSERT_TRUE(window.ok());
    GlDrawable drawable;
    const char* error = nullptr;

    ASSERT_TRUE(presenter_follow(&drawable, 800, 600, 800, 600, true, 16, &error));
    EXPECT_EQ(drawable.framebuffer, 0u) << "the window's own buffers";
    EXPECT_EQ(bound_framebuffer(), 0);

    // A window of other pixels (a 2x desktop, a fullscreen panel): a
    // drawable of the asked size, bound.
    ASSERT_TRUE(presenter_follow(&drawable, 800, 600, 1600, 1200, true, 16, &error)) << error;
    ASSERT_NE(drawable.framebuffer, 0u);
    EXPECT_EQ(drawable.width, 800);
    EXPECT_EQ(drawable.height, 600);
    EXPECT_EQ(bound_framebuffer(), static_cast<GLint>(drawable.framebuffer));
    const unsigned made = drawable.framebuffer;

    // Minimised: nothing changes until the window has a size again.
    ASSERT_TRUE(presenter_follow(&drawable, 800, 600, 0, 0, true, 16, &error));
    EXPECT_EQ(drawable.framebuffer, made);
    // The same sizes again: the same drawable, not a new one.
    ASSERT_TRUE(presenter_follow(&drawable, 800, 600, 1920, 1080, true, 16, &error));
    EXPECT_EQ(drawable.framebuffer, made);
    // The demo asks for another size (F1): made again at that size.
    ASSERT_TRUE(presenter_follow(&drawable, 640, 480, 1920, 1080, true, 16, &error));
    EXPECT_EQ(drawable.width, 640);
    EXPECT_EQ(drawable.height, 480);

    // Back at the window's own size, its buffers take over again.
    ASSERT_TRUE(presenter_follow(&drawable, 800, 600, 800, 600, true, 16, &error));
    EXPECT_EQ(drawable.framebuffer, 0u);
    EXPECT_EQ(bound_framebuffer(), 0);

    // A window whose buffers lack what the demo asked for (the page's
    // canvas has no depth) gets a drawable even at its own size.
    ASSERT_TRUE(presenter_follow(&drawable, 800, 600, 800, 600, false, 16, &error)) << error;
    EXPECT_NE(drawable.framebuffer, 0u);
    GLint depth_bits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth_bits);
    EXPECT_EQ(depth_bits, 16);
    drawable_destroy(&drawable);
}

TEST(PresentingPolicy, ReadsBackWhatWasDrawnBottomRowFirst)
{
    GlTestWindow window(800, 600);
    ASSERT_TRUE(window.ok());
    GlDrawable drawable;
    const char* error = nullptr;
    ASSERT_TRUE(presenter_follow(&drawable, 5, 3, 1600, 1200, true, 16, &error)) << error;
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 5, 1); // the bottom row red
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    std::vector<unsigned char> rgba(5 * 3 * 4, 7);
    presenter_read_back(5, 3, rgba.data());
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(rgba[x * 4 + 0], 255) << "bottom row, x " << x;
        EXPECT_EQ(rgba[x * 4 + 2], 0);
        EXPECT_EQ(rgba[(2 * 5 + x) * 4 + 0], 0) << "top row, x " << x;
        EXPECT_EQ(rgba[(2 * 5 + x) * 4 + 2], 255);
    }
    drawable_destroy(&drawable);
}

// The depth the pixel format asked for is the drawable's; a size the
// driver cannot have fails with its reason, leaves no drawable, and the
// demo draws into the window's own buffers.
TEST(PresentingPolicy, TakesTheAskedDepthAndFailsCleanlyWhereNoDrawableFits)
{
    GlTestWindow window(800, 600);
    ASSERT_TRUE(window.ok());
    GlDrawable drawable;
    const char* error = nullptr;
    ASSERT_TRUE(presenter_follow(&drawable, 320, 240, 1600, 1200, true, 24, &error)) << error;
    GLint depth_bits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth_bits);
    EXPECT_EQ(depth_bits, 24);

    GLint largest = 0;
    glGetIntegerv(0x84E8 /* GL_MAX_RENDERBUFFER_SIZE */, &largest);
    ASSERT_GT(largest, 0);
    error = nullptr;
    EXPECT_FALSE(presenter_follow(&drawable, largest + 1, 240, 1600, 1200, true, 16, &error));
    ASSERT_NE(error, nullptr);
    EXPECT_NE(std::string(error).find("largest render buffer"), std::string::npos) << error;
    EXPECT_EQ(drawable.framebuffer, 0u) << "the old drawable goes, no new one stands";
    EXPECT_EQ(bound_framebuffer(), 0);
}
