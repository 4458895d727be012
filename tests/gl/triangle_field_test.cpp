// The title blocks and the triangle field on a real Mesa context: the
// honeycomb's layout and turn read back through GL feedback, the spin and
// fade steps, the GL state left behind, and the first frame of scene 6.
#include "app/entry.h"
#include "app/init_gl.h"
#include "effects/triangle_field.h"
#include "effects/tunnel.h"
#include "resources/display_lists.h"
#include "resources/gl_state.h"
#include "resources/outline_font.h"
#include "resources/textures.h"
#include "support/gl_feedback.h"
#include "support/gl_matrix.h"
#include "support/gl_view.h"
#include "harness/test_support.h"
#include "timeline/timeline.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

namespace {
const double blocks[8][4] = {
    {-4.1, 1.9, -3.2, 2.2},  {-4.0, -1.0, -2.5, 2.1}, {-0.9, -1.4, -3.4, 1.6}, {-0.2, -0.4, -1.9, 1.8},
    {0.6, -1.1, -1.5, 0.5},  {2.5, 0.4, -0.2, 2.1},   {4.0, -1.2, 0.55, 1.2},  {3.9, 0.8, 2.0, 1.9},
};

// Mesa's feedback mode crashes on the glyph lists; while the field is read
// back through feedback the title's glyphs are pointed at lists that do not
// exist (print_text still moves the matrix as always).
struct GlyphsHidden {
    GLuint saved = resources.font_list_base;
    GlyphsHidden() { resources.font_list_base = 1u << 24; }
    ~GlyphsHidden() { resources.font_list_base = saved; }
};

class TriangleField : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.ok());
        ASSERT_TRUE(init_gl());
        start_scripted_frame_timer();
    }
    // The next draw sees this frame time.
    void frame_time(double seconds)
    {
        scripted_counter::advance(static_cast<std::int64_t>(seconds * 1000000.0 + 0.5));
        shared.frame_timer->tick();
    }
    // An orthographic view wide and deep enough that nothing of the field
    // is clipped, at 100 pixels per unit.
    void wide_view() { set_flat_view(40, 100, 100); }
    // In place of the hexagon: one point off its centre and out of its
    // plane, so that any turn moves it.
    void marker_instead_of_hexagon()
    {
        resources.hexagon_list = glGenLists(1);
        glNewList(resources.hexagon_list, GL_COMPILE);
        glBegin(GL_POINTS);
        glVertex3f(0.5f, 0.25f, 1.0f);
        glEnd();
        glEndList();
    }
    // What print_text("eLka") does to the matrix it is given.
    Mat4 title_matrix()
    {
        glPushMatrix();
        glLoadIdentity();
        print_text("eLka");
        const Mat4 m = modelview_matrix();
        glPopMatrix();
        return m;
    }
    GlTestWindow window;
};

// The design's honeycomb by what makes it one: 19 rows of 17 cells, each
// cell sqrt(3) from the next in its row and from the nearest two in the
// rows beside it (the odd rows half a cell to the right, 1.5 up), the
// first at (-14, -13, -20), the whole turned -45 degrees about the view
// axis and each cell by `turn` about its own vertical. The marker is the
// same point of every cell, so the steps between markers are the lattice's.
void expect_honeycomb(const std::vector<FeedbackPrimitive>& points, double turn, float alpha)
{
    ASSERT_EQ(points.size(), 323u);
    const double step = std::sqrt(3.0) * 100.0; // 100 pixels a unit
    const double c = std::cos(-M_PI / 4), s = std::sin(-M_PI / 4);
    auto turned = [&](double x, double y) { return std::array<double, 2>{c * x - s * y, s * x + c * y}; };
    const auto first = window_of(mat_mul(mat_mul(mat_rotate(-45, 0, 0, 1), mat_translate(-14, -13, -20)),
                                         mat_rotate(turn, 0, 1, 0)),
                                 0.5, 0.25, 1.0);
    auto at = [&](int row, int col) { return points[static_cast<std::size_t>(row * 17 + col)].vertices[0]; };
    ASSERT_NEAR(at(0, 0).x, first[0], 0.05);
    ASSERT_NEAR(at(0, 0).y, first[1], 0.05);
    for (int row = 0; row < 19; ++row)
        for (int col = 0; col < 17; ++col) {
            SCOPED_TRACE(testing::Message() << "row " << row << " col " << col);
            const FeedbackVertex& v = at(row, col);
            ASSERT_NEAR(v.z, first[2], 2e-6);
            ASSERT_FLOAT_EQ(v.r, 1.0f);
            ASSERT_NEAR(v.a, alpha, 1e-6);
            if (col > 0) {
                const auto along = turned(step, 0);
                ASSERT_NEAR(v.x - at(row, col - 1).x, along[0], 0.05);
                ASSERT_NEAR(v.y - at(row, col - 1).y, along[1], 0.05);
            }
            if (row > 0) {
                const auto up = turned(row % 2 ? step / 2 : -step / 2, 150.0);
                ASSERT_NEAR(v.x - at(row - 1, col).x, up[0], 0.05);
                ASSERT_NEAR(v.y - at(row - 1, col).y, up[1], 0.05);
            }
        }
}
} // namespace

TEST_F(TriangleField, HoneycombOfNineteenRowsOfSeventeenTurnedFortyFiveDegrees)
{
    frame_time(0.0);
    marker_instead_of_hexagon();
    wide_view();
    shared.anim_clock = 0.25f;
    GlyphsHidden hidden;
    const auto all = capture_feedback([] { draw_triangle_field(); });
    expect_honeycomb(primitives_of(all, FeedbackKind::point), 0.0, 0.75f);
    EXPECT_FLOAT_EQ(resources.hex_half_width, 0.8660254f);
}

TEST_F(TriangleField, TurnIsAQuarterOfFieldSpinInWholeDegrees)
{
    frame_time(0.0); // field_spin and the fade stand still
    marker_instead_of_hexagon();
    wide_view();
    const struct {
        int spin;
        double turn;
    } cases[] = {{0, 0}, {3, 0}, {4, -1}, {7, -1}, {183, -45}, {360, -90}, {363, -90}, {364, -91}};
    GlyphsHidden hidden;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.spin);
        effects.field_spin = c.spin;
        const auto all = capture_feedback([] { draw_triangle_field(); });
        expect_honeycomb(primitives_of(all, FeedbackKind::point), c.turn, 1.0f);
        EXPECT_EQ(effects.field_spin, c.spin);
    }
}

TEST_F(TriangleField, SpinAdvancesByWholeStepsOfTheFrameTime)
{
    frame_time(0.011); // faster than 90 frames a second: no turn at all
    draw_triangle_field();
    EXPECT_EQ(effects.field_spin, 0);
    EXPECT_EQ(shared.anim_clock, 0.0f); // the fade is the timeline's

    frame_time(1.0 / 60.0); // 1.5 truncated
    draw_triangle_field();
    EXPECT_EQ(effects.field_spin, 1);

    frame_time(0.05); // 4.5 truncated
    draw_triangle_field();
    EXPECT_EQ(effects.field_spin, 5);

    // The last step may carry it past 360; from there it stays.
    effects.field_spin = 359;
    frame_time(0.1);
    draw_triangle_field();
    EXPECT_EQ(effects.field_spin, 368);
    draw_triangle_field();
    EXPECT_EQ(effects.field_spin, 368);
}

// The honeycomb's fade, advanced by the timeline in scene 6 with the delta
// the field was drawn with.
TEST_F(TriangleField, FadeClimbsAtItsRateAndStopsPastOne)
{
    const auto scene_six_frame = [this](double seconds) {
        frame_time(seconds);
        shared.scene_index = 6;
        render_frame();
        ASSERT_EQ(shared.scene_index, 6);
    };
    scene_six_frame(0.5);
    EXPECT_FLOAT_EQ(shared.anim_clock, 0.5f * 0.243f);
    shared.anim_clock = 0.99f;
    scene_six_frame(0.5);
    const float over = 0.99f + 0.5f * 0.243f;
    EXPECT_FLOAT_EQ(shared.anim_clock, over);
    scene_six_frame(0.5);
    EXPECT_FLOAT_EQ(shared.anim_clock, over);
    shared.anim_clock = 1.0f;
    scene_six_frame(0.5);
    EXPECT_FLOAT_EQ(shared.anim_clock, 1.0f);
}

TEST_F(TriangleField, BlocksFadeWithTheFieldAndTheStateLeftBehind)
{
    frame_time(0.0);
    glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
    glBlendFunc(GL_ONE, GL_ONE);
    glDepthFunc(GL_LESS);
    shared.anim_clock = 0.4f;
    GlyphsHidden hidden;
    // The blocks follow the honeycomb at z -10, from the identity.
    const auto all = capture_feedback([] { draw_triangle_field(); }, 1 << 22);
    std::vector<FeedbackPrimitive> blue;
    for (const auto& p : primitives_of(all, FeedbackKind::polygon))
        if (p.vertices[0].b > 0.49f && p.vertices[0].r == 0.0f)
            blue.push_back(p);
    // Mesa hands each rectangle back whole or as two triangles.
    ASSERT_TRUE(blue.size() == 8u || blue.size() == 16u) << blue.size();
    for (const auto& p : blue)
        EXPECT_NEAR(p.vertices[0].a, 0.5 - 0.5 * 0.4, 1e-6);
    draw_triangle_field();

    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_EQ(gl_int(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(gl_int(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(gl_int(GL_DEPTH_FUNC), GL_ALWAYS);
    EXPECT_EQ(static_cast<GLuint>(gl_int(GL_TEXTURE_BINDING_2D)), resources.texture_ids[tunnel_wall_slot]);
    float colour[4];
    gl_floats(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[1], 1.0f);
    EXPECT_FLOAT_EQ(colour[2], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], 0.7f);
    const Mat4 expected = mat_mul(mat_translate(0, -0.2f, 0), title_matrix());
    EXPECT_LT(mat_distance(modelview_matrix(), expected), 1e-5);
}

TEST_F(TriangleField, TitleBlocksDrawRelativeToTheCallersMatrix)
{
    wide_view();
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDisable(GL_TEXTURE_2D);
    glLoadIdentity();
    glTranslatef(1.0f, 2.0f, -5.0f);
    const Mat4 caller = modelview_matrix();
    GlyphsHidden hidden;
    const auto all = capture_feedback([] { draw_title_blocks(); });
    const auto polygons = primitives_of(all, FeedbackKind::polygon);
    ASSERT_FALSE(polygons.empty());
    const std::size_t per_block = polygons[0].vertices.size() == 3 ? 2 : 1;
    ASSERT_GE(polygons.size(), 8 * per_block);
    const Mat4 at_blocks = mat_mul(caller, mat_translate(0, 0, -10));
    for (int b = 0; b < 8; ++b) {
        SCOPED_TRACE(b);
        // glRectf: (x1, y1), (x2, y1), (x2, y2), (x1, y2).
        const double corner[4][2] = {{blocks[b][0], blocks[b][1]}, {blocks[b][2], blocks[b][1]},
                                     {blocks[b][2], blocks[b][3]}, {blocks[b][0], blocks[b][3]}};
        std::array<std::array<double, 3>, 4> w;
        for (int i = 0; i < 4; ++i)
            w[i] = window_of(at_blocks, corner[i][0], corner[i][1], 0.0);
        bool seen[4] = {};
        for (std::size_t q = b * per_block; q < (b + 1) * per_block; ++q)
            for (const auto& v : polygons[q].vertices) {
                int match = -1;
                for (int i = 0; i < 4; ++i)
                    if (std::fabs(v.x - w[i][0]) < 0.05 && std::fabs(v.y - w[i][1]) < 0.05 &&
                        std::fabs(v.z - w[i][2]) < 1e-6)
                        match = i;
                EXPECT_GE(match, 0) << "a vertex off the block's corners";
                if (match >= 0)
                    seen[match] = true;
                EXPECT_FLOAT_EQ(v.b, 0.5f);
                EXPECT_FLOAT_EQ(v.a, 0.5f);
            }
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(seen[i]) << "corner " << i;
    }
    // Only the colour and the matrix change.
    float colour[4];
    gl_floats(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], 0.7f);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(gl_int(GL_BLEND_SRC), GL_ONE);
    const Mat4 expected =
        mat_mul(mat_mul(mat_mul(caller, mat_translate(0, -0.2f, 0)), title_matrix()), mat_translate(0, 0.2f, 0));
    EXPECT_LT(mat_distance(modelview_matrix(), expected), 1e-5);
}

namespace {
std::vector<unsigned char> read_frame(const GlTestWindow& w)
{
    std::vector<unsigned char> rgba(static_cast<std::size_t>(w.width * w.height * 4));
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w.width, w.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}
} // namespace

// The first frame of scene 6, drawn by render_frame after the last frame of
// scene 5: opaque white hexagons hide the tunnel everywhere, the blue blocks
// lie over them in the middle.
TEST_F(TriangleField, FirstFrameOfSceneSixHidesTheTunnel)
{
    // Scene 5's last frame ends exactly on its end (1/64 s is exact), so
    // scene 6 starts with its fade at 0.
    shared.scene_index = 5;
    shared.scene_clock = 5.0f - 1.0f / 64.0f;
    shared.anim_clock = 20.0f;
    draw_frame_after(1.0 / 64.0);
    ASSERT_EQ(shared.scene_index, 6);
    ASSERT_EQ(shared.anim_clock, 0.0f);
    const float clock_at_start = shared.scene_clock;
    const float colour_at_start[4] = {1.0f, 1.0f, 1.0f, 0.7f};
    float current[4];
    gl_floats(GL_CURRENT_COLOR, current);
    ASSERT_FLOAT_EQ(current[3], colour_at_start[3]); // what the title left

    draw_frame_after(1.0 / 60.0);
    ASSERT_EQ(shared.scene_index, 6);
    const auto first = read_frame(window);

    // The blocks' outline on screen (z -10 from the identity).
    glMatrixMode(GL_MODELVIEW);
    const Mat4 at_blocks = mat_translate(0, 0, -10);
    std::vector<std::array<double, 4>> on_screen; // x0, y0, x1, y1 in pixels
    for (const auto& b : blocks) {
        const auto lo = window_of(at_blocks, std::min(b[0], b[2]), std::min(b[1], b[3]), 0);
        const auto hi = window_of(at_blocks, std::max(b[0], b[2]), std::max(b[1], b[3]), 0);
        on_screen.push_back({lo[0], lo[1], hi[0], hi[1]});
    }
    auto inside_blocks = [&](int px, int py, double margin) {
        for (const auto& r : on_screen)
            if (px >= r[0] - margin && px <= r[2] + margin && py >= r[1] - margin && py <= r[3] + margin)
                return true;
        return false;
    };
    int blue = 0, outside = 0, not_white = 0;
    for (int py = 0; py < window.height; ++py)
        for (int px = 0; px < window.width; ++px) {
            const unsigned char* p = &first[static_cast<std::size_t>((py * window.width + px) * 4)];
            if (inside_blocks(px, py, -2.0)) {
                if (p[2] > p[0] + 40 && p[2] > p[1] + 40)
                    ++blue;
            } else if (!inside_blocks(px, py, 2.0)) {
                ++outside;
                if (p[0] < 250 || p[1] < 250 || p[2] < 250)
                    ++not_white;
            }
        }
    EXPECT_GT(outside, 300000);
    EXPECT_EQ(not_white, 0);
    EXPECT_GT(blue, 20000);

    // The same frame over a tunnel at another phase looks the same.
    shared.scene_index = 6;
    shared.scene_clock = clock_at_start;
    shared.anim_clock = 0.0f;
    effects.field_spin = 0;
    shared.tunnel_angle = 123.0f;
    glColor4fv(colour_at_start);
    draw_frame_after(1.0 / 60.0);
    EXPECT_TRUE(read_frame(window) == first);
}
