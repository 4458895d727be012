// The tunnel on a real Mesa context: its grids for given phases, the seam,
// the fixed mouth, the GL state it leaves and the fogged far end.
#include "app/init_gl.h"
#include "effects/tunnel.h"
#include "resources/gl_state.h"
#include "resources/textures.h"
#include "support/gl_matrix.h"
#include "harness/test_support.h"
#include "timeline/timeline.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {
class Tunnel : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.ok());
        ASSERT_TRUE(init_gl());
    }
    void draw_at(float phase)
    {
        shared.tunnel_angle = phase;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw_tunnel();
    }
    std::vector<unsigned char> frame()
    {
        std::vector<unsigned char> rgba(static_cast<std::size_t>(window.width * window.height * 4));
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, window.width, window.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }
    GlTestWindow window;
};

struct Sample {
    float phase;
    int k, j;
    double x, y, z, s, t;
};
// Reference values to six decimals.
const Sample samples[] = {
    {0, 0, 0, 3.000000, 0.000000, 0, 0.500000, 0.000000},
    {0, 0, 1, 3.284198, 0.331636, -1, 0.495562, 0.039583},
    {0, 8, 1, 0.367531, 3.248303, -1, 0.745562, 0.039583},
    {0, 32, 32, 0.605990, -1.101393, -32, 0.784445, 1.266667},
    {100, 0, 0, 3.000000, 0.000000, 0, 0.141831, 2.500000},
    {100, 0, 1, 2.090963, 0.294481, -1, 0.204311, 2.539583},
    {100, 8, 1, -0.825704, 3.211148, -1, 0.454311, 2.539583},
};
} // namespace

TEST_F(Tunnel, GridsMatchTheReferenceSamples)
{
    for (const Sample& e : samples) {
        SCOPED_TRACE(testing::Message() << "P " << e.phase << " [" << e.k << "][" << e.j << "]");
        draw_at(e.phase);
        const float* v = effects.tunnel_vertices[e.k][e.j];
        const float* tc = effects.tunnel_texcoords[e.k][e.j];
        EXPECT_NEAR(v[0], e.x, 6e-7);
        EXPECT_NEAR(v[1], e.y, 6e-7);
        EXPECT_EQ(v[2], e.z);
        EXPECT_NEAR(tc[0], e.s, 6e-7);
        EXPECT_NEAR(tc[1], e.t, 6e-7);
    }
}

TEST_F(Tunnel, SeamClosesAndTextureWrapsByExactlyOne)
{
    for (float phase : {0.0f, 100.0f, 777.25f}) {
        draw_at(phase);
        for (int j = 0; j <= 32; ++j) {
            SCOPED_TRACE(testing::Message() << "P " << phase << " ring " << j);
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(effects.tunnel_vertices[32][j][c], effects.tunnel_vertices[0][j][c], 2e-6);
            EXPECT_NEAR(effects.tunnel_texcoords[32][j][0] - effects.tunnel_texcoords[0][j][0], 1.0, 2.5e-7);
            EXPECT_EQ(effects.tunnel_texcoords[32][j][1], effects.tunnel_texcoords[0][j][1]);
        }
    }
}

TEST_F(Tunnel, MouthStaysOnTheViewAxisWhileTheInnerRingsSwing)
{
    float previous_inner_x = 0.0f;
    for (float phase : {0.0f, 13.5f, 100.0f, 4321.0f, -60.0f}) {
        SCOPED_TRACE(phase);
        draw_at(phase);
        for (int k = 0; k <= 32; ++k) {
            const double theta = k * M_PI / 16.0;
            EXPECT_NEAR(effects.tunnel_vertices[k][0][0], 3.0 * std::cos(theta), 2e-6);
            EXPECT_NEAR(effects.tunnel_vertices[k][0][1], 3.0 * std::sin(theta), 2e-6);
            EXPECT_EQ(effects.tunnel_vertices[k][0][2], 0.0f);
        }
        // Ring 32 is a circle of radius 1/3 about a centre that moves.
        const float cx = (effects.tunnel_vertices[0][32][0] + effects.tunnel_vertices[16][32][0]) / 2.0f;
        EXPECT_NEAR(effects.tunnel_vertices[0][32][0] - cx, 1.0 / 3.0, 1e-5);
        EXPECT_NE(cx, previous_inner_x);
        previous_inner_x = cx;
    }
}

TEST_F(Tunnel, SamePhaseDrawsTheSamePicture)
{
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    draw_at(37.5f);
    const auto first = frame();
    float grid[36][36][3];
    std::memcpy(grid, effects.tunnel_vertices, sizeof grid);
    draw_at(80.0f);
    const auto other = frame();
    draw_at(37.5f);
    const auto again = frame();
    EXPECT_EQ(std::memcmp(grid, effects.tunnel_vertices, sizeof grid), 0);
    EXPECT_TRUE(first == again);
    EXPECT_FALSE(first == other); // the picture does depend on the phase
}

TEST_F(Tunnel, LeavesItsDocumentedGlState)
{
    glBlendFunc(GL_ONE, GL_ZERO);
    glDisable(GL_BLEND);
    glEnable(GL_FOG);
    glColor4f(0.25f, 0.5f, 0.75f, 0.3f);
    glLineWidth(3.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(5.0f, 6.0f, 7.0f);
    draw_at(12.0f);

    EXPECT_TRUE(glIsEnabled(GL_BLEND)); // switched on and left on
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(gl_int(GL_DEPTH_FUNC), GL_ALWAYS);
    EXPECT_EQ(gl_int(GL_BLEND_SRC), GL_ONE); // not touched
    EXPECT_EQ(gl_int(GL_BLEND_DST), GL_ZERO);
    EXPECT_EQ(static_cast<GLuint>(gl_int(GL_TEXTURE_BINDING_2D)), resources.texture_ids[tunnel_wall_slot]);
    EXPECT_NE(resources.texture_ids[tunnel_wall_slot], 0u);
    float colour[4];
    gl_floats(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.25f);
    EXPECT_FLOAT_EQ(colour[1], 0.5f);
    EXPECT_FLOAT_EQ(colour[2], 0.75f);
    EXPECT_FLOAT_EQ(colour[3], 0.3f);
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_FLOAT_EQ(width, 3.0f);
    EXPECT_LT(mat_distance(modelview_matrix(), mat_translate(0, 0, -4.2f)), 1e-7);
}

// Where the tube is more than 30 units from the eye (the end of the fog) it
// is drawn black; near the mouth it shows its texture.
TEST_F(Tunnel, FarEndFadesIntoTheBlackFog)
{
    ASSERT_GT(gl_int(GL_DEPTH_BITS), 0);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glDepthFunc(GL_ALWAYS);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    draw_at(0.0f);
    const auto rgba = frame();
    std::vector<float> depth(static_cast<std::size_t>(window.width * window.height));
    glReadPixels(0, 0, window.width, window.height, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());

    // Eye distance along the view axis from the window depth, for the
    // perspective with near plane 0.1 and far plane 100.
    const double n = 0.1f, f = 100.0;
    int far_pixels = 0, near_pixels = 0, bright_near = 0, lit_far = 0;
    for (std::size_t i = 0; i < depth.size(); ++i) {
        if (depth[i] >= 1.0f)
            continue; // nothing drawn
        const double ndc = 2.0 * depth[i] - 1.0;
        const double eye = 2.0 * f * n / ((f + n) - ndc * (f - n));
        const unsigned char* p = &rgba[i * 4];
        const int brightest = std::max({p[0], p[1], p[2]});
        if (eye > 31.0) {
            ++far_pixels;
            if (brightest > 8)
                ++lit_far;
        } else if (eye < 10.0) {
            ++near_pixels;
            if (brightest > 40)
                ++bright_near;
        }
    }
    EXPECT_GT(far_pixels, 100);   // the far end is in view
    EXPECT_EQ(lit_far, 0);        // and black
    EXPECT_GT(near_pixels, 1000); // the near walls fill the edges
    EXPECT_GT(bright_near, near_pixels / 2);
}
