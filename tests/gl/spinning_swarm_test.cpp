// The spinning swarm on a real Mesa context: the matrix it leaves, the 81
// arcs it draws, its per-call phase and the state it leaves, drawn or (while
// the player steps the scenes) not.
#include "effects/spinning_swarm.h"
#include "resources/display_lists.h"
#include "support/gl_feedback.h"
#include "support/gl_matrix.h"
#include "support/gl_view.h"
#include "harness/test_support.h"
#include "timeline/timeline.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {
class SpinningSwarm : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.ok());
        build_display_lists();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(2.0f, 0.0f, -2.0f); // where the letterbox puts it
    }
    GlTestWindow window;
};
} // namespace

TEST_F(SpinningSwarm, WithoutATurnTheMatrixComesBackAsItWas)
{
    const Mat4 before = modelview_matrix();
    shared.swarm_angle = 0.0f;
    for (int call = 0; call < 3; ++call) {
        draw_spinning_swarm();
        EXPECT_LT(mat_distance(modelview_matrix(), before), 1e-4);
    }
}

TEST_F(SpinningSwarm, TurnIsLeftOnTheMatrixAboutTheBallsCentre)
{
    const Mat4 before = modelview_matrix();
    shared.swarm_angle = 90.0f;
    draw_spinning_swarm();
    const Mat4 expected =
        mat_mul(mat_mul(mat_mul(before, mat_translate(0, 0, -5)), mat_rotate(90, 0, 1, 0)), mat_translate(0, 0, 5));
    EXPECT_LT(mat_distance(modelview_matrix(), expected), 1e-4);
    // The ball's centre stays put; a point in front of it swings sideways.
    const auto centre = mat_apply(modelview_matrix(), 0, 0, -5);
    EXPECT_NEAR(centre[0], 2.0, 1e-4);
    EXPECT_NEAR(centre[2], -7.0, 1e-4);
    const auto front = mat_apply(modelview_matrix(), 0, 0, 0);
    EXPECT_NEAR(front[0], 2.0 + 5.0, 1e-4);
    EXPECT_NEAR(front[2], -7.0, 1e-4);
}

TEST_F(SpinningSwarm, PhaseGrowsPerCallNotPerSecond)
{
    EXPECT_EQ(effects.swarm_phase, 0.0f);
    draw_spinning_swarm();
    EXPECT_FLOAT_EQ(effects.swarm_phase, 0.8f);
    for (int i = 0; i < 9; ++i)
        draw_spinning_swarm();
    EXPECT_NEAR(effects.swarm_phase, 8.0f, 1e-5);
}

TEST_F(SpinningSwarm, DrawsEightyOneArcsOnTheUnitSphere)
{
    // Unclipped view: window x = (x + 10) * 100.
    const FlatView view = set_flat_view(10, 20, 100);
    shared.swarm_angle = 30.0f;
    effects.swarm_phase = 20.0f;
    const auto lines = primitives_of(capture_feedback([] { draw_spinning_swarm(); }), FeedbackKind::line);
    ASSERT_EQ(lines.size(), 81u * 15u);
    const Mat4 ball = mat_mul(mat_translate(0, 0, -5), mat_rotate(30, 0, 1, 0));
    auto obj = [&](float w) { return view.unit(w); };
    for (const auto& l : lines)
        for (const auto& v : l.vertices) // every vertex 1 from the centre in x and y view
            EXPECT_LE(std::hypot(obj(v.x), obj(v.y)), 1.0 + 1e-3);
    // Copy i starts at its turns applied to (1, 0, 0).
    for (int i : {0, 1, 40, 80}) {
        SCOPED_TRACE(i);
        const Mat4 m = mat_mul(mat_mul(mat_mul(ball, mat_rotate(32.0 * i, 1, 0, 0)), mat_rotate(22.0 * i, 0, 1, 0)),
                               mat_rotate(62.0 * i + 20.0, 0, 0, 1));
        const auto start = mat_apply(m, 1, 0, 0);
        const auto& v = lines[i * 15].vertices[0];
        EXPECT_NEAR(obj(v.x), start[0], 2e-3);
        EXPECT_NEAR(obj(v.y), start[1], 2e-3);
    }
    EXPECT_FLOAT_EQ(effects.swarm_phase, 20.8f);
}

TEST_F(SpinningSwarm, LeavesTheArcsWidthAndColourAndNothingElse)
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    draw_spinning_swarm();
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_FLOAT_EQ(width, 1.6f);
    float colour[4];
    gl_floats(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 0.0f);
    EXPECT_LT(colour[3], 0.0f); // what follows is invisible until coloured
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(gl_int(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
}

TEST_F(SpinningSwarm, WhileNothingDrawnIsSeenItDrawsNoArcButLeavesTheSameState)
{
    // At a line scale other than 1, so the width is the recorded one.
    resources.line_scale = 2.0f;
    struct Left {
        Mat4 matrix;
        GLfloat width = 0.0f;
        float colour[4] = {};
        float phase = 0.0f;
    };
    auto draw = [](bool unseen, std::size_t* lines) {
        glLoadIdentity();
        glTranslatef(2.0f, 0.0f, -2.0f);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glLineWidth(1.0f);
        effects.swarm_phase = 3.2f;
        shared.swarm_angle = 41.0f;
        resources.drawing_unseen = unseen;
        *lines = primitives_of(capture_feedback([] { draw_spinning_swarm(); }), FeedbackKind::line).size();
        resources.drawing_unseen = false;
        Left left;
        left.matrix = modelview_matrix();
        glGetFloatv(GL_LINE_WIDTH, &left.width);
        gl_floats(GL_CURRENT_COLOR, left.colour);
        left.phase = effects.swarm_phase;
        return left;
    };
    std::size_t drawn_lines = 0, unseen_lines = 0;
    const Left drawn = draw(false, &drawn_lines);
    const Left unseen = draw(true, &unseen_lines);
    EXPECT_EQ(drawn_lines, 81u * 15u);
    EXPECT_EQ(unseen_lines, 0u);
    EXPECT_FLOAT_EQ(drawn.width, 3.2f);
    EXPECT_EQ(unseen.width, drawn.width);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(unseen.colour[i], drawn.colour[i]) << "component " << i;
    EXPECT_EQ(mat_distance(unseen.matrix, drawn.matrix), 0.0);
    EXPECT_EQ(unseen.phase, drawn.phase);
}
