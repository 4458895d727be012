// The hexagon and arc display lists, read back through GL feedback on a real
// Mesa context.
#include "app/init_gl.h"
#include "resources/display_lists.h"
#include "resources/gl_state.h"
#include "support/gl_feedback.h"
#include "support/gl_view.h"
#include "harness/test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <vector>

namespace {
// An orthographic view in which window coordinates are (x + 2) * 100:
// nothing the lists draw is clipped.
void flat_view()
{
    set_flat_view(2, 2, 100);
    glShadeModel(GL_SMOOTH);
}
double obj(float window) { return FlatView{2, 100}.unit(window); }

class DisplayLists : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.ok());
        build_display_lists();
        flat_view();
    }
    GlTestWindow window;
};
} // namespace

TEST_F(DisplayLists, HexagonIsSixTrianglesFannedFromTheCentreClockwise)
{
    EXPECT_NE(resources.hexagon_list, 0u);
    EXPECT_FLOAT_EQ(resources.hex_half_width, 0.8660254f);
    EXPECT_EQ(resources.hex_half_width, static_cast<float>(std::sqrt(0.75)));

    const auto all = capture_feedback([] { glCallList(resources.hexagon_list); });
    ASSERT_EQ(all.size(), 6u);
    const double s = std::sqrt(0.75);
    const double rim[6][2] = {{s, 0.5}, {s, -0.5}, {0, -1}, {-s, -0.5}, {-s, 0.5}, {0, 1}};
    int vertices = 0;
    for (int t = 0; t < 6; ++t) {
        SCOPED_TRACE(t);
        ASSERT_EQ(all[t].kind, FeedbackKind::polygon);
        ASSERT_EQ(all[t].vertices.size(), 3u);
        vertices += 3;
        const auto& v = all[t].vertices;
        EXPECT_NEAR(obj(v[0].x), 0.0, 1e-5);
        EXPECT_NEAR(obj(v[0].y), 0.0, 1e-5);
        EXPECT_NEAR(obj(v[1].x), rim[t][0], 1e-5);
        EXPECT_NEAR(obj(v[1].y), rim[t][1], 1e-5);
        EXPECT_NEAR(obj(v[2].x), rim[(t + 1) % 6][0], 1e-5);
        EXPECT_NEAR(obj(v[2].y), rim[(t + 1) % 6][1], 1e-5);
        for (const auto& p : v)
            EXPECT_NEAR(p.z, 0.5, 1e-6); // the plane z = 0
        // Corners on the unit circle at 30, 90, ... 330 degrees.
        const double angle = std::atan2(obj(v[1].y), obj(v[1].x)) * 180.0 / M_PI;
        EXPECT_NEAR(std::hypot(obj(v[1].x), obj(v[1].y)), 1.0, 1e-5);
        EXPECT_NEAR(std::fmod(angle + 360.0, 60.0), 30.0, 1e-3);
    }
    EXPECT_EQ(vertices, 18);
}

TEST_F(DisplayLists, HexagonCarriesTheFaceNormalAndNoColour)
{
    glNormal3f(1.0f, 0.0f, 0.0f);
    glColor4f(0.25f, 0.5f, 0.75f, 0.125f);
    const auto all = capture_feedback([] { glCallList(resources.hexagon_list); });
    ASSERT_EQ(all.size(), 6u);
    for (const auto& p : all)
        for (const auto& v : p.vertices) {
            EXPECT_FLOAT_EQ(v.r, 0.25f);
            EXPECT_FLOAT_EQ(v.a, 0.125f);
        }
    GLfloat normal[3];
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    EXPECT_FLOAT_EQ(normal[0], 0.0f);
    EXPECT_FLOAT_EQ(normal[1], 0.0f);
    EXPECT_FLOAT_EQ(normal[2], 1.0f);
}

TEST_F(DisplayLists, ArcIsAStripOfSixteenFadingVertices)
{
    EXPECT_EQ(resources.arc_segments, 100);
    EXPECT_NE(resources.arc_list, 0u);
    EXPECT_NE(resources.arc_list, resources.hexagon_list);
    const auto all = capture_feedback([] { glCallList(resources.arc_list); });
    // A strip of 16 vertices is 15 segments.
    ASSERT_EQ(all.size(), 15u);
    for (const auto& p : all)
        EXPECT_TRUE(p.kind == FeedbackKind::line || p.kind == FeedbackKind::line_reset);
    for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(i);
        const FeedbackVertex& v = i < 15 ? all[i].vertices[0] : all[14].vertices[1];
        if (i > 0 && i < 15) { // the strip is continuous
            EXPECT_FLOAT_EQ(all[i - 1].vertices[1].x, v.x);
            EXPECT_FLOAT_EQ(all[i - 1].vertices[1].y, v.y);
        }
        const double a = i * 2.0 * M_PI / 100.0;
        EXPECT_NEAR(obj(v.x), std::cos(a), 2e-6);
        EXPECT_NEAR(obj(v.y), std::sin(a), 2e-6);
        EXPECT_NEAR(v.z, 0.5, 1e-6);
        // Black, with the alpha recorded just before the vertex: its y.
        EXPECT_EQ(v.r, 0.0f);
        EXPECT_EQ(v.g, 0.0f);
        EXPECT_EQ(v.b, 0.0f);
        EXPECT_NEAR(v.a, std::sin(a), 1e-6);
    }
    EXPECT_NEAR(obj(all[14].vertices[1].x), 0.587785, 2e-6);
    EXPECT_NEAR(obj(all[14].vertices[1].y), 0.809017, 2e-6);
}

TEST_F(DisplayLists, ArcSetsLineWidthAndLeavesItsLastColourCurrent)
{
    glLineWidth(7.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glCallList(resources.arc_list);
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_FLOAT_EQ(width, 1.6f);
    float colour[4];
    gl_floats(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 0.0f);
    EXPECT_EQ(colour[1], 0.0f);
    EXPECT_EQ(colour[2], 0.0f);
    // The step past the last vertex: sin(99 * 2 pi / 100), below 0.
    EXPECT_NEAR(colour[3], std::sin(99 * 2.0 * M_PI / 100.0), 1e-6);
    EXPECT_LT(colour[3], 0.0f);
}

TEST_F(DisplayLists, ArcFollowsArcSegments)
{
    // With no steps the arc draws nothing but still sets the line width.
    resources.arc_segments = 0;
    build_display_lists();
    flat_view();
    EXPECT_TRUE(capture_feedback([] { glCallList(resources.arc_list); }).empty());
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_FLOAT_EQ(width, 1.6f);
    resources.arc_segments = 100;
}

// The F1 toggle closes the context the lists live in and builds them again
// in the new one.
TEST(DisplayListsAcrossContexts, NewContextGetsWorkingLists)
{
    {
        GlTestWindow first;
        ASSERT_TRUE(first.ok());
        build_display_lists();
    }
    GlTestWindow second(640, 480);
    ASSERT_TRUE(second.ok());
    create_gl_resources();
    EXPECT_TRUE(glIsList(resources.hexagon_list));
    EXPECT_TRUE(glIsList(resources.arc_list));
    flat_view();
    EXPECT_EQ(capture_feedback([] { glCallList(resources.hexagon_list); }).size(), 6u);
    EXPECT_EQ(capture_feedback([] { glCallList(resources.arc_list); }).size(), 15u);
}

#ifndef __SANITIZE_ADDRESS__
// The replay's memory: llvmpipe copies its fragment state (33 KB) into bin
// memory at every call of a list that follows a new matrix, in 64 KiB
// blocks that it frees after each frame; the honeycomb makes about 11 MB of
// them a frame. Once the lists are built, freed heap memory stays with the
// process, so the next frame's blocks do not fault those pages in again
// (glibc's default gives all but 128 KiB back to the kernel).
namespace {
long minor_faults()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// One frame's worth of bin blocks, written and freed in turn; returns the
// page faults it took.
long frame_of_bin_blocks()
{
    const long before = minor_faults();
    std::vector<void*> blocks;
    for (int i = 0; i < 170; ++i) {
        blocks.push_back(std::malloc(64 << 10));
        std::memset(blocks.back(), 1, 64 << 10);
    }
    for (auto it = blocks.rbegin(); it != blocks.rend(); ++it)
        std::free(*it);
    return minor_faults() - before;
}
} // namespace

TEST(DisplayListReplayMemory, FreedBinMemoryStaysWithTheProcess)
{
    GlTestWindow window;
    ASSERT_TRUE(window.ok());
    build_display_lists();
    frame_of_bin_blocks(); // the first frame faults its pages in
    // 170 blocks of 16 pages: 2,720 faults if the pages went back.
    EXPECT_LT(frame_of_bin_blocks(), 100);
    EXPECT_LT(frame_of_bin_blocks(), 100);
}
#endif // AddressSanitizer brings its own allocator, which mallopt does not tune
