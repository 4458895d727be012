// The GL 1.1 subset on OpenGL ES 3.0, piece by piece, against Mesa's own GL
// 1.1 and libGLU in the same process: two EGL contexts on Mesa's surfaceless
// platform, one desktop GL (the reference) and one ES 3.0 (the layer), each
// drawing into a framebuffer of its own. The same drawing is written once
// against a table of entry points, filled with Mesa's functions or the
// layer's, and the two pictures, matrices and texture levels compared.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include "gles/gles_layer.h"
#include "gles/mipmap_chain.h"
#include "gles/subset_api.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// The entry points the drawings below use, as one table per implementation.
struct Gl {
    void (*begin)(GLenum);
    void (*end)();
    void (*vertex3f)(GLfloat, GLfloat, GLfloat);
    void (*color4f)(GLfloat, GLfloat, GLfloat, GLfloat);
    void (*tex_coord2f)(GLfloat, GLfloat);
    void (*rectf)(GLfloat, GLfloat, GLfloat, GLfloat);
    void (*matrix_mode)(GLenum);
    void (*load_identity)();
    void (*translatef)(GLfloat, GLfloat, GLfloat);
    void (*rotatef)(GLfloat, GLfloat, GLfloat, GLfloat);
    void (*push_matrix)();
    void (*pop_matrix)();
    void (*viewport)(GLint, GLint, GLsizei, GLsizei);
    void (*enable)(GLenum);
    void (*disable)(GLenum);
    void (*get_floatv)(GLenum, GLfloat*);
    void (*blend_func)(GLenum, GLenum);
    void (*depth_func)(GLenum);
    void (*hint)(GLenum, GLenum);
    void (*line_width)(GLfloat);
    void (*fogf)(GLenum, GLfloat);
    void (*fogi)(GLenum, GLint);
    void (*fogfv)(GLenum, const GLfloat*);
    void (*clear)(GLbitfield);
    void (*clear_color)(GLclampf, GLclampf, GLclampf, GLclampf);
    void (*gen_textures)(GLsizei, GLuint*);
    void (*bind_texture)(GLenum, GLuint);
    void (*tex_parameteri)(GLenum, GLenum, GLint);
    GLuint (*gen_lists)(GLsizei);
    void (*new_list)(GLuint, GLenum);
    void (*end_list)();
    void (*call_list)(GLuint);
    void (*call_lists)(GLsizei, GLenum, const GLvoid*);
    void (*list_base)(GLuint);
    void (*push_attrib)(GLbitfield);
    void (*pop_attrib)();
    void (*perspective)(GLdouble, GLdouble, GLdouble, GLdouble);
    GLint (*build_mipmaps)(GLenum, GLint, GLint, GLint, GLenum, GLenum, const void*);
    void (*finish)();
};

void mesa_finish() { glFinish(); }
void layer_finish()
{
    gles_flush();
    glFinish();
}

const Gl mesa = {glBegin, glEnd, glVertex3f, glColor4f, glTexCoord2f, glRectf, glMatrixMode, glLoadIdentity,
                 glTranslatef, glRotatef, glPushMatrix, glPopMatrix, glViewport, glEnable, glDisable, glGetFloatv,
                 glBlendFunc, glDepthFunc, glHint, glLineWidth, glFogf, glFogi, glFogfv, glClear, glClearColor,
                 glGenTextures, glBindTexture, glTexParameteri, glGenLists, glNewList, glEndList, glCallList,
                 glCallLists, glListBase, glPushAttrib, glPopAttrib, gluPerspective, gluBuild2DMipmaps, mesa_finish};

const Gl layer = {elka_gl_begin, elka_gl_end, elka_gl_vertex3f, elka_gl_color4f, elka_gl_tex_coord2f,
                  elka_gl_rectf, elka_gl_matrix_mode, elka_gl_load_identity, elka_gl_translatef, elka_gl_rotatef,
                  elka_gl_push_matrix, elka_gl_pop_matrix, elka_gl_viewport, elka_gl_enable, elka_gl_disable,
                  elka_gl_get_floatv, elka_gl_blend_func, elka_gl_depth_func, elka_gl_hint, elka_gl_line_width,
                  elka_gl_fogf, elka_gl_fogi, elka_gl_fogfv, elka_gl_clear, elka_gl_clear_color,
                  elka_gl_gen_textures, elka_gl_bind_texture, elka_gl_tex_parameteri, elka_gl_gen_lists,
                  elka_gl_new_list, elka_gl_end_list, elka_gl_call_list, elka_gl_call_lists, elka_gl_list_base,
                  elka_gl_push_attrib, elka_gl_pop_attrib, elka_glu_perspective, elka_glu_build_2d_mipmaps,
                  layer_finish};

constexpr int size = 64;

// One context with its framebuffer of size x size, RGBA8 and a depth buffer.
struct Side {
    EGLContext context = EGL_NO_CONTEXT;
    GLuint framebuffer = 0;
};

const EGLint es3_attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 0, EGL_NONE};
EGLDisplay display = EGL_NO_DISPLAY;
Side reference_side, layer_side;

bool make_side(EGLenum api, const EGLint* attributes, Side* side, EGLContext share = EGL_NO_CONTEXT)
{
    const EGLint config_wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                    api == EGL_OPENGL_API ? EGL_OPENGL_BIT : EGL_OPENGL_ES3_BIT,
                                    EGL_NONE};
    EGLConfig config;
    EGLint count = 0;
    if (!eglChooseConfig(display, config_wanted, &config, 1, &count) || count < 1 || !eglBindAPI(api)) {
        ADD_FAILURE() << "no EGL config, error 0x" << std::hex << eglGetError();
        return false;
    }
    side->context = eglCreateContext(display, config, share, attributes);
    if (side->context == EGL_NO_CONTEXT ||
        !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, side->context)) {
        ADD_FAILURE() << "no context made current, error 0x" << std::hex << eglGetError();
        return false;
    }
    GLuint buffers[2];
    glGenRenderbuffers(2, buffers);
    glBindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, size, size);
    glBindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, size, size);
    glGenFramebuffers(1, &side->framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, side->framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers[1]);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void use(const Side& side)
{
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, side.context);
    glBindFramebuffer(GL_FRAMEBUFFER, side.framebuffer);
}

class GlesLayer : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        auto get_platform_display =
            reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
        ASSERT_NE(get_platform_display, nullptr);
        display = get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        ASSERT_TRUE(display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr));
        const EGLint compatibility[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
        ASSERT_TRUE(make_side(EGL_OPENGL_API, compatibility, &reference_side)) << "no desktop GL context";
        ASSERT_TRUE(make_side(EGL_OPENGL_ES_API, es3_attributes, &layer_side)) << "no OpenGL ES 3.0 context";
    }
};

using Picture = std::vector<std::uint8_t>;

// Puts the state both implementations start a drawing from, then draws.
Picture draw(const Side& side, const Gl& gl, const std::function<void(const Gl&)>& drawing)
{
    use(side);
    gl.viewport(0, 0, size, size);
    gl.matrix_mode(GL_PROJECTION);
    gl.load_identity();
    gl.matrix_mode(GL_MODELVIEW);
    gl.load_identity();
    for (GLenum cap : {GL_BLEND, GL_DEPTH_TEST, GL_TEXTURE_2D, GL_FOG, GL_LINE_SMOOTH})
        gl.disable(cap);
    gl.depth_func(GL_LESS);
    gl.line_width(1.0f);
    gl.color4f(1, 1, 1, 1);
    gl.clear_color(0, 0, 0, 0);
    gl.clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawing(gl);
    gl.finish();
    Picture pixels(size * size * 4);
    glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

struct Difference {
    double mean = 0; // per channel, in 1/255
    int worst = 0;
    int over_24 = 0; // pixels with a channel more than 24 apart
    std::string where;
};

Difference compare(const Picture& a, const Picture& b)
{
    Difference d;
    long total = 0;
    for (int p = 0; p < size * size; ++p) {
        int pixel_worst = 0;
        for (int c = 0; c < 4; ++c) {
            const int delta = std::abs(a[p * 4 + c] - b[p * 4 + c]);
            total += delta;
            pixel_worst = std::max(pixel_worst, delta);
        }
        if (pixel_worst > 24)
            ++d.over_24;
        if (pixel_worst > d.worst) {
            d.worst = pixel_worst;
            char text[96];
            std::snprintf(text, sizeof text, "(%d,%d): %d,%d,%d,%d vs %d,%d,%d,%d", p % size, p / size, a[p * 4],
                          a[p * 4 + 1], a[p * 4 + 2], a[p * 4 + 3], b[p * 4], b[p * 4 + 1], b[p * 4 + 2],
                          b[p * 4 + 3]);
            d.where = text;
        }
    }
    d.mean = static_cast<double>(total) / (size * size * 4);
    return d;
}

// Draws on both sides and holds the layer's picture to Mesa's.
void expect_same_picture(const std::function<void(const Gl&)>& drawing, int worst_allowed, int over_24_allowed = 0)
{
    const Picture expected = draw(reference_side, mesa, drawing);
    const Picture got = draw(layer_side, layer, drawing);
    const Difference d = compare(expected, got);
    EXPECT_LE(d.worst, worst_allowed) << "worst pixel " << d.where;
    EXPECT_LE(d.over_24, over_24_allowed);
    EXPECT_LT(d.mean, 1.0);
}

const std::uint8_t* pixel(const Picture& p, int x, int y) { return &p[(y * size + x) * 4]; }

std::vector<std::uint8_t> pattern(int width, int height, int row_alignment, unsigned seed)
{
    const int row = (width * 3 + row_alignment - 1) / row_alignment * row_alignment;
    std::vector<std::uint8_t> image(static_cast<std::size_t>(row) * height, 0xEE);
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < width * 3; ++i) {
            seed = seed * 1103515245u + 12345u;
            image[y * row + i] = static_cast<std::uint8_t>(seed >> 16);
        }
    return image;
}

// The picture texture as the system makes one: a power-of-two RGB image
// with its mipmap chain, trilinear when minified.
GLuint make_texture(const Gl& gl, const std::vector<std::uint8_t>& image, int width, int height)
{
    GLuint name = 0;
    gl.gen_textures(1, &name);
    gl.bind_texture(GL_TEXTURE_2D, name);
    EXPECT_EQ(gl.build_mipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, image.data()), 0);
    gl.tex_parameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    gl.tex_parameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return name;
}

TEST_F(GlesLayer, MipmapChainIsTheOneLibGluBuilds)
{
    // Padded rows (a 2-texel RGB row is 6 bytes, 8 at an alignment of 4) and
    // chains that run on with one side already a single texel. The system
    // builds its mipmaps with an unpack alignment of 1: at 4, libGLU uploads
    // the levels it halved itself (tightly packed) with the caller's
    // alignment, so its levels 1 or 2 texels wide are read from the wrong
    // places. A padded row is therefore held against libGLU only where its
    // levels stay wider than that.
    struct Case {
        int width, height, alignment;
    };
    for (const Case& c : {Case{64, 32, 4}, Case{2, 16, 1}, Case{1, 8, 1}, Case{16, 1, 4}, Case{8, 8, 1},
                          Case{2, 1, 4}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        const std::vector<std::uint8_t> image = pattern(c.width, c.height, c.alignment, 7u * c.width + c.height);
        std::vector<MipLevel> chain;
        ASSERT_TRUE(build_mip_chain(image.data(), c.width, c.height, 3, c.alignment, &chain));

        use(reference_side);
        glPixelStorei(GL_UNPACK_ALIGNMENT, c.alignment);
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        ASSERT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, 3, c.width, c.height, GL_RGB, GL_UNSIGNED_BYTE, image.data()), 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        GLint level_count = 0;
        for (GLint level = 0;; ++level) {
            GLint w = 0, h = 0;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
            if (w == 0)
                break;
            ++level_count;
            ASSERT_LT(static_cast<std::size_t>(level), chain.size());
            EXPECT_EQ(w, chain[level].width);
            EXPECT_EQ(h, chain[level].height);
            std::vector<std::uint8_t> texels(static_cast<std::size_t>(w) * h * 3);
            glGetTexImage(GL_TEXTURE_2D, level, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
            EXPECT_EQ(texels, chain[level].texels) << "level " << level;
        }
        EXPECT_EQ(static_cast<std::size_t>(level_count), chain.size());
        glDeleteTextures(1, &texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    }
    std::vector<MipLevel> chain;
    const std::vector<std::uint8_t> image = pattern(12, 8, 4, 1);
    EXPECT_FALSE(build_mip_chain(image.data(), 12, 8, 3, 4, &chain)) << "a side that is not a power of two";
}

TEST_F(GlesLayer, UploadedLevelsReadBackAsTheChain)
{
    // What the layer hands ES must be every level of the chain: each level
    // read back through a framebuffer, on the ES context itself.
    // A padded picture 2 texels wide, read at the caller's alignment.
    const std::vector<std::uint8_t> image = pattern(2, 8, 4, 3);
    std::vector<MipLevel> chain;
    ASSERT_TRUE(build_mip_chain(image.data(), 2, 8, 3, 4, &chain));
    ASSERT_EQ(chain.size(), 4u);
    use(layer_side);
    elka_gl_pixel_storei(GL_UNPACK_ALIGNMENT, 4);
    const GLuint texture = make_texture(layer, image, 2, 8);
    gles_flush();
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    for (std::size_t level = 0; level < chain.size(); ++level) {
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture,
                               static_cast<GLint>(level));
        ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        const MipLevel& m = chain[level];
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(m.width) * m.height * 4);
        glReadPixels(0, 0, m.width, m.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        for (int t = 0; t < m.width * m.height; ++t)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(rgba[t * 4 + c], m.texels[t * 3 + c]) << "level " << level << " texel " << t;
    }
    glDeleteFramebuffers(1, &framebuffer);
}

TEST_F(GlesLayer, MatricesAndPerspectiveAreMesas)
{
    const auto matrices = [](const Gl& gl) {
        std::vector<float> seen;
        const auto read = [&] {
            float m[16];
            gl.get_floatv(GL_MODELVIEW_MATRIX, m);
            seen.insert(seen.end(), m, m + 16);
        };
        gl.matrix_mode(GL_MODELVIEW);
        gl.load_identity();
        gl.perspective(45.0, 4.0 / 3.0, 0.1, 100.0);
        read();
        gl.load_identity();
        gl.translatef(1.5f, -2.0f, -7.0f);
        gl.rotatef(33.0f, 0.2f, 1.0f, 0.4f); // an axis that is not of unit length
        read();
        gl.push_matrix();
        gl.rotatef(-120.0f, 0.0f, 0.0f, 1.0f);
        gl.translatef(0.25f, 0.0f, 3.0f);
        read();
        gl.pop_matrix();
        read();
        gl.rotatef(90.0f, 1.0f, 0.0f, 0.0f);
        read();
        return seen;
    };
    use(reference_side);
    const std::vector<float> expected = matrices(mesa);
    use(layer_side);
    const std::vector<float> got = matrices(layer);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], expected[i], 1e-5 * std::max(1.0f, std::fabs(expected[i]))) << "matrix " << i / 16
                                                                                          << " element " << i % 16;
}

TEST_F(GlesLayer, ColoursAreClampedAndBlendAndDepthFunctionsHold)
{
    expect_same_picture(
        [](const Gl& gl) {
            // Over-range colours are clamped per vertex, before they are
            // interpolated and blended.
            gl.begin(GL_QUADS);
            gl.color4f(2.0f, -1.0f, 0.5f, 1.5f);
            gl.vertex3f(-1.0f, -1.0f, 0.0f);
            gl.vertex3f(0.0f, -1.0f, 0.0f);
            gl.color4f(-0.5f, 1.0f, 1.8f, 1.0f);
            gl.vertex3f(0.0f, 0.0f, 0.0f);
            gl.vertex3f(-1.0f, 0.0f, 0.0f);
            gl.end();
            gl.enable(GL_DEPTH_TEST);
            gl.depth_func(GL_LEQUAL);
            gl.color4f(0.2f, 0.4f, 0.9f, 1.0f);
            gl.begin(GL_QUADS);
            gl.vertex3f(0.0f, -1.0f, 0.5f);
            gl.vertex3f(1.0f, -1.0f, 0.5f);
            gl.vertex3f(1.0f, 0.0f, 0.5f);
            gl.vertex3f(0.0f, 0.0f, 0.5f);
            gl.end();
            // Equal depth passes LEQUAL; the farther triangle loses.
            gl.color4f(0.9f, 0.9f, 0.1f, 1.0f);
            gl.begin(GL_TRIANGLES);
            gl.vertex3f(0.0f, -1.0f, 0.5f);
            gl.vertex3f(1.0f, -1.0f, 0.5f);
            gl.vertex3f(1.0f, 0.0f, 0.5f);
            gl.color4f(0.0f, 1.0f, 0.0f, 1.0f);
            gl.vertex3f(0.0f, -1.0f, 0.8f);
            gl.vertex3f(0.0f, 0.0f, 0.8f);
            gl.vertex3f(1.0f, 0.0f, 0.8f);
            gl.end();
            gl.disable(GL_DEPTH_TEST);
            // Alpha blending and adding, over a fan and a strip.
            gl.enable(GL_BLEND);
            gl.blend_func(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            gl.color4f(1.0f, 0.0f, 0.0f, 0.35f);
            gl.begin(GL_TRIANGLE_FAN);
            gl.vertex3f(-0.5f, 0.5f, 0.0f);
            gl.vertex3f(-1.0f, 0.0f, 0.0f);
            gl.vertex3f(0.0f, 0.0f, 0.0f);
            gl.vertex3f(0.0f, 1.0f, 0.0f);
            gl.end();
            gl.blend_func(GL_ONE, GL_ONE);
            gl.begin(GL_TRIANGLE_STRIP);
            gl.color4f(0.1f, 0.3f, 0.2f, 1.0f);
            gl.vertex3f(-0.8f, 0.2f, 0.0f);
            gl.vertex3f(-0.8f, 0.9f, 0.0f);
            gl.color4f(0.6f, 0.1f, 0.5f, 1.0f);
            gl.vertex3f(0.9f, 0.2f, 0.0f);
            gl.vertex3f(0.9f, 0.9f, 0.0f);
            gl.end();
        },
        1);
    // The probes say what both must show, not only that they agree: the
    // colours are clamped at the vertices, so a gradient from an
    // over-range colour to black is half as bright half way.
    const Picture got = draw(layer_side, layer, [](const Gl& gl) {
        gl.begin(GL_QUADS);
        gl.color4f(3.0f, -1.0f, 0.5f, 1.5f);
        gl.vertex3f(-1.0f, -1.0f, 0.0f);
        gl.color4f(0.0f, 0.0f, 0.0f, 1.0f);
        gl.vertex3f(1.0f, -1.0f, 0.0f);
        gl.vertex3f(1.0f, 1.0f, 0.0f);
        gl.color4f(3.0f, -1.0f, 0.5f, 1.5f);
        gl.vertex3f(-1.0f, 1.0f, 0.0f);
        gl.end();
    });
    const std::uint8_t* p = pixel(got, 31, 20);
    EXPECT_NEAR(p[0], 130, 2);
    EXPECT_EQ(p[1], 0);
    EXPECT_NEAR(p[2], 65, 2);
    EXPECT_EQ(p[3], 255);
}

TEST_F(GlesLayer, FogAndModulatedMipmapsOnAPlaneInPerspective)
{
    // A floor running from the eye into linear fog, textured with a picture
    // minified across several levels and modulated by the vertex colours.
    const std::vector<std::uint8_t> image = pattern(64, 64, 4, 11);
    GLuint textures[2] = {0, 0};
    int side = 0;
    const auto floor = [&](const Gl& gl) {
        GLuint& texture = textures[side++];
        if (texture == 0)
            texture = make_texture(gl, image, 64, 64);
        gl.matrix_mode(GL_PROJECTION);
        gl.perspective(60.0, 1.0, 0.5, 50.0);
        gl.matrix_mode(GL_MODELVIEW);
        gl.translatef(0.0f, -1.0f, 0.0f);
        const float fog_colour[4] = {0.3f, 0.5f, 0.7f, 1.0f};
        gl.enable(GL_FOG);
        gl.fogi(GL_FOG_MODE, GL_LINEAR);
        gl.fogfv(GL_FOG_COLOR, fog_colour);
        gl.fogf(GL_FOG_START, 2.0f);
        gl.fogf(GL_FOG_END, 30.0f);
        gl.hint(GL_FOG_HINT, GL_NICEST);
        gl.hint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
        gl.enable(GL_TEXTURE_2D);
        gl.bind_texture(GL_TEXTURE_2D, texture);
        gl.begin(GL_QUADS);
        gl.color4f(1.0f, 0.8f, 0.6f, 1.0f);
        gl.tex_coord2f(0.0f, 0.0f);
        gl.vertex3f(-4.0f, 0.0f, -1.0f);
        gl.tex_coord2f(4.0f, 0.0f);
        gl.vertex3f(4.0f, 0.0f, -1.0f);
        gl.color4f(0.5f, 1.0f, 1.0f, 1.0f);
        gl.tex_coord2f(4.0f, 16.0f);
        gl.vertex3f(4.0f, 0.0f, -40.0f);
        gl.tex_coord2f(0.0f, 16.0f);
        gl.vertex3f(-4.0f, 0.0f, -40.0f);
        gl.end();
        gl.disable(GL_TEXTURE_2D);
        gl.disable(GL_FOG);
    };
    const Picture expected = draw(reference_side, mesa, floor);
    const Picture got = draw(layer_side, layer, floor);
    const Difference d = compare(expected, got);
    EXPECT_LE(d.worst, 3) << "worst pixel " << d.where;
    EXPECT_LT(d.mean, 0.5);
    // The row just under the horizon is beyond the fog's end (about 37
    // units away): the fog colour alone.
    const std::uint8_t* far = pixel(got, 32, 30);
    EXPECT_NEAR(far[0], 0.3 * 255, 2);
    EXPECT_NEAR(far[1], 0.5 * 255, 2);
    EXPECT_NEAR(far[2], 0.7 * 255, 2);
}

TEST_F(GlesLayer, ListsReplayWithTheCurrentColourAndMatrixCarriedAcross)
{
    expect_same_picture(
        [](const Gl& gl) {
            const GLuint base = gl.gen_lists(3);
            // A list that draws in whatever colour is current, and leaves
            // another one current behind it.
            gl.new_list(base, GL_COMPILE);
            gl.begin(GL_QUADS);
            gl.vertex3f(-1.0f, -1.0f, 0.0f);
            gl.vertex3f(-0.5f, -1.0f, 0.0f);
            gl.vertex3f(-0.5f, -0.5f, 0.0f);
            gl.vertex3f(-1.0f, -0.5f, 0.0f);
            gl.end();
            gl.color4f(0.0f, 0.0f, 1.0f, 0.5f);
            gl.end_list();
            // A list that moves the model-view matrix for what follows.
            gl.new_list(base + 1, GL_COMPILE);
            gl.translatef(0.75f, 0.0f, 0.0f);
            gl.rotatef(10.0f, 0.0f, 0.0f, 1.0f);
            gl.end_list();
            gl.new_list(base + 2, GL_COMPILE);
            gl.color4f(1.0f, 0.5f, 0.0f, 1.0f);
            gl.begin(GL_TRIANGLES);
            gl.vertex3f(0.0f, 0.0f, 0.0f);
            gl.vertex3f(0.5f, 0.0f, 0.0f);
            gl.vertex3f(0.0f, 0.5f, 0.0f);
            gl.end();
            gl.end_list();

            gl.color4f(0.0f, 1.0f, 0.0f, 1.0f);
            gl.call_list(base);
            float colour[4];
            gl.get_floatv(GL_CURRENT_COLOR, colour);
            if (colour[2] != 1.0f || colour[3] != 0.5f)
                ADD_FAILURE() << "the colour the list set is not current after it";
            gl.rectf(-0.4f, -1.0f, 0.0f, -0.6f); // in the list's blue
            // Names relative to a base pushed with GL_LIST_BIT; after the
            // pop the base is 0 again and names are absolute.
            gl.push_attrib(GL_LIST_BIT);
            gl.list_base(base + 1);
            const GLubyte relative[2] = {0, 1};
            gl.call_lists(2, GL_UNSIGNED_BYTE, relative);
            gl.pop_attrib();
            gl.rectf(-0.1f, 0.6f, 0.1f, 0.8f); // moved by list base + 1, in list base + 2's orange
            const GLubyte absolute[1] = {static_cast<GLubyte>(base + 2)};
            gl.load_identity();
            gl.translatef(-0.9f, 0.2f, 0.0f);
            gl.call_lists(1, GL_UNSIGNED_BYTE, absolute);
        },
        1);
    const Picture got = draw(layer_side, layer, [](const Gl& gl) {
        const GLuint list = gl.gen_lists(1);
        gl.new_list(list, GL_COMPILE);
        gl.rotatef(0.0f, 0.0f, 0.0f, 1.0f);
        gl.color4f(0.0f, 0.0f, 1.0f, 1.0f);
        gl.end_list();
        gl.call_list(list);
        gl.rectf(-1.0f, -1.0f, 1.0f, 1.0f);
    });
    EXPECT_EQ(pixel(got, 32, 32)[2], 255) << "a colour set in a list is current after the call";
    EXPECT_EQ(pixel(got, 32, 32)[0], 0);
}

// A seek steps the scenes with the rasterizer off: nothing drawn or cleared
// meanwhile shows, what was drawn before it does, and the state the calls
// set (a list's colour, the matrix) is carried on as when drawing.
TEST_F(GlesLayer, WithTheRasterizerOffNothingIsDrawnButTheStateGoesOn)
{
    const auto drawing = [](const Gl& gl) {
        const GLuint list = gl.gen_lists(1);
        gl.new_list(list, GL_COMPILE);
        gl.begin(GL_QUADS);
        gl.vertex3f(-1.0f, -1.0f, 0.0f);
        gl.vertex3f(1.0f, -1.0f, 0.0f);
        gl.vertex3f(1.0f, 1.0f, 0.0f);
        gl.vertex3f(-1.0f, 1.0f, 0.0f);
        gl.end();
        gl.color4f(0.0f, 0.0f, 1.0f, 1.0f);
        gl.end_list();
        gl.color4f(1.0f, 0.0f, 0.0f, 1.0f);
        gl.rectf(-1.0f, -1.0f, 0.0f, 0.0f); // before: drawn, though not yet sent
        gl.enable(GL_RASTERIZER_DISCARD);
        gl.rectf(-1.0f, -1.0f, 1.0f, 1.0f); // in red
        gl.clear_color(0.0f, 1.0f, 0.0f, 1.0f);
        gl.clear(GL_COLOR_BUFFER_BIT);
        gl.color4f(1.0f, 1.0f, 0.0f, 1.0f);
        gl.call_list(list); // leaves blue current
        gl.translatef(1.0f, 1.0f, 0.0f);
        gl.disable(GL_RASTERIZER_DISCARD);
        gl.rectf(-0.5f, -0.5f, 0.0f, 0.0f); // blue, moved by the translation
    };
    expect_same_picture(drawing, 0);
    const Picture got = draw(layer_side, layer, drawing);
    const std::uint8_t* red = pixel(got, 16, 16);
    EXPECT_TRUE(red[0] == 255 && red[1] == 0 && red[2] == 0) << "the quad drawn before the discard";
    const std::uint8_t* blue = pixel(got, 48, 48);
    EXPECT_TRUE(blue[0] == 0 && blue[1] == 0 && blue[2] == 255) << "the quad after it, in the list's colour";
    const std::uint8_t* black = pixel(got, 16, 48);
    EXPECT_TRUE(black[0] == 0 && black[1] == 0 && black[2] == 0) << "neither the clear nor the list showed";
}

TEST_F(GlesLayer, SmoothWideLinesCoverWhatMesasCover)
{
    // Lines of the widths the system uses, smooth and blended, along
    // slopes and in strips. Coverage is the layer's own model, so pixels
    // may differ at the edges; the light a line puts down may not.
    const auto lines = [](const Gl& gl) {
        gl.enable(GL_BLEND);
        gl.blend_func(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        gl.enable(GL_LINE_SMOOTH);
        gl.hint(GL_LINE_SMOOTH_HINT, GL_NICEST);
        gl.color4f(1.0f, 1.0f, 1.0f, 1.0f);
        gl.line_width(1.6f);
        gl.begin(GL_LINES);
        gl.vertex3f(-0.9f, -0.9f, 0.0f);
        gl.vertex3f(0.8f, -0.3f, 0.0f);
        gl.end();
        gl.line_width(2.0f);
        gl.begin(GL_LINE_STRIP);
        gl.vertex3f(-0.8f, 0.1f, 0.0f);
        gl.vertex3f(-0.2f, 0.8f, 0.0f);
        gl.vertex3f(0.4f, 0.1f, 0.0f);
        gl.vertex3f(0.9f, 0.85f, 0.0f);
        gl.end();
    };
    const Picture expected = draw(reference_side, mesa, lines);
    const Picture got = draw(layer_side, layer, lines);
    const auto light = [](const Picture& p) {
        double sum = 0;
        for (int i = 0; i < size * size; ++i)
            sum += p[i * 4];
        return sum / 255.0;
    };
    EXPECT_NEAR(light(got), light(expected), 0.06 * light(expected));
    EXPECT_GT(light(expected), 100.0) << "the lines were drawn";
    const Difference d = compare(expected, got);
    EXPECT_LT(d.mean, 2.0);
    EXPECT_LE(d.over_24, 24) << "worst pixel " << d.where;
}

// A list of one square of half side `half` around the centre, in `green`
// or in whatever colour is current.
GLuint compile_square_list(float half, bool green)
{
    const GLuint list = elka_gl_gen_lists(1);
    elka_gl_new_list(list, GL_COMPILE);
    if (green)
        elka_gl_color4f(0.0f, 1.0f, 0.0f, 1.0f);
    elka_gl_begin(GL_QUADS);
    elka_gl_vertex3f(-half, -half, 0.0f);
    elka_gl_vertex3f(half, -half, 0.0f);
    elka_gl_vertex3f(half, half, 0.0f);
    elka_gl_vertex3f(-half, half, 0.0f);
    elka_gl_end();
    elka_gl_end_list();
    return list;
}

TEST_F(GlesLayer, ADeletedContextTakesItsListsAndStateWithIt)
{
    // The platform says when its context goes (the F1 toggle makes a new
    // one): the lists recorded for it are gone, the state is GL's first
    // state again, and the layer makes its own objects anew, so the next
    // context draws as a new GL context draws.
    use(layer_side);
    const GLuint list = compile_square_list(1.0f, false);
    elka_gl_enable(GL_FOG);
    elka_gl_color4f(0.0f, 1.0f, 0.0f, 1.0f);
    gles_context_deleted(false);

    EXPECT_EQ(elka_gl_is_enabled(GL_FOG), GL_FALSE);
    float colour[4];
    elka_gl_get_floatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[1], 1.0f) << "GL's first colour is white";
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(elka_gl_gen_lists(1), 1u) << "names start again as in a new context";
    const Picture got = draw(layer_side, layer, [list](const Gl& gl) {
        gl.color4f(0.0f, 0.0f, 1.0f, 1.0f);
        gl.call_list(list); // the old recording is gone: draws nothing
        gl.rectf(-0.5f, -0.5f, 0.5f, 0.5f);
    });
    EXPECT_EQ(pixel(got, 32, 32)[2], 255) << "the layer draws after its objects were made again";
    EXPECT_EQ(pixel(got, 2, 2)[2], 0);
}

TEST_F(GlesLayer, ListsStayWhereTheShareGroupLivesOn)
{
    // The F1 toggle with a context that keeps the objects: the window's
    // context goes, another of its share group draws next. The lists stay
    // (GL keeps them with the group), the state starts afresh, and the
    // layer's vertex array, which no context shares, is made again.
    use(layer_side);
    const GLuint list = compile_square_list(0.5f, true);
    elka_gl_color4f(1.0f, 0.0f, 0.0f, 1.0f);
    elka_gl_rectf(-1.0f, -1.0f, 1.0f, 1.0f);
    gles_flush(); // the programs and the buffer are made in the first context
    gles_context_deleted(true);

    Side next;
    ASSERT_TRUE(make_side(EGL_OPENGL_ES_API, es3_attributes, &next, layer_side.context));
    float colour[4];
    elka_gl_get_floatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[1], 1.0f) << "the state starts as GL's first state";
    const Picture got = draw(next, layer, [list](const Gl& gl) { gl.call_list(list); });
    EXPECT_EQ(pixel(got, 32, 32)[1], 255) << "the list drew in the next context";
    EXPECT_EQ(pixel(got, 32, 32)[0], 0);
    EXPECT_EQ(pixel(got, 2, 2)[1], 0);
    gles_context_deleted(false);
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display, next.context);
}

// A list of a quad in the current colour, a matrix call between two
// primitives, a triangle fan in a colour of its own, and a colour and a
// line width left behind.
GLuint compile_moving_list(const Gl& gl)
{
    const GLuint list = gl.gen_lists(1);
    gl.new_list(list, GL_COMPILE);
    gl.begin(GL_QUADS);
    gl.vertex3f(-0.2f, -0.2f, 0.0f);
    gl.vertex3f(0.2f, -0.2f, 0.0f);
    gl.vertex3f(0.2f, 0.2f, 0.0f);
    gl.vertex3f(-0.2f, 0.2f, 0.0f);
    gl.end();
    gl.translatef(0.3f, 0.1f, 0.0f);
    gl.rotatef(30.0f, 0.0f, 0.0f, 1.0f);
    gl.color4f(1.0f, 0.5f, 0.0f, 1.0f);
    gl.begin(GL_TRIANGLE_FAN);
    gl.vertex3f(0.0f, 0.0f, 0.0f);
    gl.vertex3f(0.25f, 0.0f, 0.0f);
    gl.vertex3f(0.0f, 0.25f, 0.0f);
    gl.vertex3f(-0.2f, 0.1f, 0.0f);
    gl.end();
    gl.color4f(0.0f, 0.0f, 1.0f, 0.75f);
    gl.line_width(3.0f);
    gl.end_list();
    return list;
}

TEST_F(GlesLayer, AListDrawnTwiceUnderOtherMatricesIsMesasAndLeavesItsState)
{
    std::vector<float> after[2];
    int side = 0;
    const Picture expected = draw(reference_side, mesa, [&](const Gl& gl) {
        const GLuint list = compile_moving_list(gl);
        gl.color4f(0.0f, 1.0f, 0.0f, 1.0f);
        gl.translatef(-0.5f, -0.5f, 0.0f);
        gl.call_list(list);
        gl.load_identity();
        gl.translatef(0.4f, 0.3f, 0.0f);
        gl.rotatef(-50.0f, 0.0f, 0.0f, 1.0f);
        gl.call_list(list); // in the blue the first call left
        float values[16];
        gl.get_floatv(GL_MODELVIEW_MATRIX, values);
        after[side].assign(values, values + 16);
        gl.get_floatv(GL_CURRENT_COLOR, values);
        after[side].insert(after[side].end(), values, values + 4);
        gl.get_floatv(GL_LINE_WIDTH, values);
        after[side].push_back(values[0]);
        ++side;
    });
    // The same drawing through the layer.
    const Picture got = draw(layer_side, layer, [&](const Gl& gl) {
        const GLuint list = compile_moving_list(gl);
        gl.color4f(0.0f, 1.0f, 0.0f, 1.0f);
        gl.translatef(-0.5f, -0.5f, 0.0f);
        gl.call_list(list);
        gl.load_identity();
        gl.translatef(0.4f, 0.3f, 0.0f);
        gl.rotatef(-50.0f, 0.0f, 0.0f, 1.0f);
        gl.call_list(list);
        float values[16];
        gl.get_floatv(GL_MODELVIEW_MATRIX, values);
        after[side].assign(values, values + 16);
        gl.get_floatv(GL_CURRENT_COLOR, values);
        after[side].insert(after[side].end(), values, values + 4);
        gl.get_floatv(GL_LINE_WIDTH, values);
        after[side].push_back(values[0]);
        ++side;
    });
    const Difference d = compare(expected, got);
    EXPECT_LE(d.worst, 1) << "worst pixel " << d.where;
    EXPECT_EQ(d.over_24, 0);
    ASSERT_EQ(after[0].size(), 21u);
    ASSERT_EQ(after[1].size(), 21u);
    for (std::size_t i = 0; i < 16; ++i)
        EXPECT_EQ(after[1][i], after[0][i]) << "model-view element " << i << ": the list's matrix calls, exactly";
    for (std::size_t i = 16; i < 21; ++i)
        EXPECT_EQ(after[1][i], after[0][i]) << "colour and line width the list left, value " << i - 16;
    // The probes, from where the quads must be: the first call's quad in
    // the green current at the call, centred at (-0.5, -0.5), i.e. pixel
    // (16, 16); the second's in the blue the first left, at (0.4, 0.3).
    const std::uint8_t* first = pixel(got, 16, 16);
    EXPECT_EQ(first[0], 0);
    EXPECT_EQ(first[1], 255);
    EXPECT_EQ(first[2], 0);
    const std::uint8_t* second = pixel(got, 44, 41);
    EXPECT_EQ(second[0], 0);
    EXPECT_EQ(second[1], 0);
    EXPECT_EQ(second[2], 255);
    // The fan, moved by the matrix calls recorded before it, in its orange.
    const std::uint8_t* fan = pixel(got, 16 + 11, 16 + 5);
    EXPECT_EQ(fan[0], 255);
    EXPECT_EQ(fan[1], 128);
}

TEST_F(GlesLayer, CallsOfOneListInManyColoursAndPlacesAreEachDrawn)
{
    // As the honeycomb calls its hexagon: one list, each call in the colour
    // and under the matrix current at it, blended over the one before. The
    // layer draws such calls as instances of one draw; each must land
    // where and as Mesa draws it, in the order of the calls.
    const auto field = [](const Gl& gl) {
        const GLuint list = gl.gen_lists(1);
        gl.new_list(list, GL_COMPILE);
        gl.begin(GL_TRIANGLES);
        gl.vertex3f(-0.12f, -0.12f, 0.0f);
        gl.vertex3f(0.12f, -0.12f, 0.0f);
        gl.vertex3f(0.0f, 0.14f, 0.0f);
        gl.end();
        gl.end_list();
        gl.enable(GL_BLEND);
        gl.blend_func(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 5; ++col) {
                gl.load_identity();
                gl.translatef(-0.8f + 0.36f * col + 0.05f * row, -0.8f + 0.38f * row, 0.0f);
                gl.rotatef(12.0f * (row * 5 + col), 0.0f, 0.0f, 1.0f);
                gl.color4f(0.2f * col, 1.0f - 0.2f * row, 0.5f, 0.4f + 0.12f * col);
                gl.call_list(list);
            }
    };
    expect_same_picture(field, 1);
    const Picture got = draw(layer_side, layer, field);
    // Every copy's centre, in its own colour over black.
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 5; ++col) {
            const float x = -0.8f + 0.36f * col + 0.05f * row, y = -0.8f + 0.38f * row;
            const std::uint8_t* p = pixel(got, static_cast<int>((x + 1.0f) * 32.0f), static_cast<int>((y + 1.0f) * 32.0f));
            const float alpha = 0.4f + 0.12f * col;
            SCOPED_TRACE("copy " + std::to_string(row) + "," + std::to_string(col));
            EXPECT_NEAR(p[0], 255.0f * 0.2f * col * alpha, 2.0f);
            EXPECT_NEAR(p[1], 255.0f * (1.0f - 0.2f * row) * alpha, 2.0f);
        }
}

// A list of the swarm's kind: a width, then a line strip whose colour is
// set at every vertex, and a last colour after it.
GLuint compile_arc_list(const Gl& gl, float width)
{
    const GLuint list = gl.gen_lists(1);
    gl.new_list(list, GL_COMPILE);
    gl.line_width(width);
    gl.begin(GL_LINE_STRIP);
    for (int i = 0; i <= 12; ++i) {
        const float a = 0.25f * i;
        gl.color4f(1.0f, 1.0f - i / 12.0f, i / 12.0f, 0.3f + 0.05f * i);
        gl.vertex3f(0.7f * std::cos(a), 0.7f * std::sin(a), 0.0f);
    }
    gl.end();
    gl.color4f(0.0f, 0.0f, 0.0f, 0.5f);
    gl.end_list();
    return list;
}

// Blended smooth lines seen in perspective, three units away.
void set_up_arc_view(const Gl& gl)
{
    gl.enable(GL_BLEND);
    gl.blend_func(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.enable(GL_LINE_SMOOTH);
    gl.hint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    gl.matrix_mode(GL_PROJECTION);
    gl.perspective(50.0, 1.0, 0.5, 20.0);
    gl.matrix_mode(GL_MODELVIEW);
    gl.translatef(0.0f, 0.0f, -3.0f);
}

void draw_arcs(const Gl& gl, GLuint list)
{
    set_up_arc_view(gl);
    for (int i = 0; i < 6; ++i) {
        gl.rotatef(40.0f, 1.0f, 0.0f, 0.0f);
        gl.rotatef(25.0f, 0.0f, 1.0f, 0.0f);
        gl.call_list(list);
    }
}

TEST_F(GlesLayer, ListsOfLinesCoverWhatMesasAndTheLayersOwnLinesCover)
{
    // Lines in a list are made into quads by the layer's program, where
    // other lines are made on the CPU: both must put down the light Mesa's
    // lines put down, and the same pixels as each other.
    const Picture expected = draw(reference_side, mesa, [](const Gl& gl) { draw_arcs(gl, compile_arc_list(gl, 2.0f)); });
    const Picture from_list = draw(layer_side, layer, [](const Gl& gl) { draw_arcs(gl, compile_arc_list(gl, 2.0f)); });
    // The same strips drawn as they come, through the layer's CPU lines.
    const Picture immediate = draw(layer_side, layer, [](const Gl& gl) {
        set_up_arc_view(gl);
        for (int n = 0; n < 6; ++n) {
            gl.rotatef(40.0f, 1.0f, 0.0f, 0.0f);
            gl.rotatef(25.0f, 0.0f, 1.0f, 0.0f);
            gl.line_width(2.0f);
            gl.begin(GL_LINE_STRIP);
            for (int i = 0; i <= 12; ++i) {
                const float a = 0.25f * i;
                gl.color4f(1.0f, 1.0f - i / 12.0f, i / 12.0f, 0.3f + 0.05f * i);
                gl.vertex3f(0.7f * std::cos(a), 0.7f * std::sin(a), 0.0f);
            }
            gl.end();
        }
    });
    const auto light = [](const Picture& p) {
        double sum = 0;
        for (int i = 0; i < size * size; ++i)
            sum += p[i * 4] + p[i * 4 + 1] + p[i * 4 + 2];
        return sum / 255.0;
    };
    EXPECT_GT(light(expected), 60.0) << "the lines were drawn";
    EXPECT_NEAR(light(from_list), light(expected), 0.06 * light(expected));
    const Difference to_mesa = compare(expected, from_list);
    EXPECT_LT(to_mesa.mean, 2.0);
    const Difference to_own = compare(immediate, from_list);
    EXPECT_LE(to_own.worst, 2) << "worst pixel " << to_own.where;
    EXPECT_LT(to_own.mean, 0.05);
}

TEST_F(GlesLayer, AListCompiledAgainDrawsItsNewCalls)
{
    // The swarm's arc is recorded again when the picture's height changes:
    // the list's name then draws the new recording, the old one nowhere.
    const Picture got = draw(layer_side, layer, [](const Gl& gl) {
        const GLuint list = compile_square_list(0.25f, true);
        gl.call_list(list);
        gl.new_list(list, GL_COMPILE);
        gl.color4f(1.0f, 0.0f, 0.0f, 1.0f);
        gl.begin(GL_QUADS);
        gl.vertex3f(0.5f, 0.5f, 0.0f);
        gl.vertex3f(0.9f, 0.5f, 0.0f);
        gl.vertex3f(0.9f, 0.9f, 0.0f);
        gl.vertex3f(0.5f, 0.9f, 0.0f);
        gl.end();
        gl.end_list();
        gl.translatef(-0.6f, 0.0f, 0.0f);
        gl.call_list(list);
    });
    EXPECT_EQ(pixel(got, 32, 32)[1], 255) << "the first recording, drawn before the second was made";
    EXPECT_EQ(pixel(got, 34, 54)[0], 255) << "the second, moved";
    EXPECT_EQ(pixel(got, 54, 54)[0], 0) << "the second not drawn unmoved";
    EXPECT_EQ(pixel(got, 54, 54)[1], 0);
}

TEST_F(GlesLayer, AListWithMatrixCallsOnTheProjectionIsMesas)
{
    // Called while the projection is the current matrix, a list's matrix
    // calls move the projection and not its own vertices.
    expect_same_picture(
        [](const Gl& gl) {
            const GLuint list = gl.gen_lists(1);
            gl.new_list(list, GL_COMPILE);
            gl.begin(GL_TRIANGLES);
            gl.vertex3f(-0.5f, -0.5f, 0.0f);
            gl.vertex3f(0.0f, -0.5f, 0.0f);
            gl.vertex3f(-0.25f, 0.0f, 0.0f);
            gl.end();
            gl.translatef(0.5f, 0.5f, 0.0f);
            gl.begin(GL_TRIANGLES);
            gl.vertex3f(-0.5f, -0.5f, 0.0f);
            gl.vertex3f(0.0f, -0.5f, 0.0f);
            gl.vertex3f(-0.25f, 0.0f, 0.0f);
            gl.end();
            gl.end_list();
            gl.matrix_mode(GL_PROJECTION);
            gl.call_list(list);
            gl.matrix_mode(GL_MODELVIEW);
            gl.color4f(0.0f, 0.5f, 1.0f, 1.0f);
            gl.rectf(0.6f, 0.6f, 0.9f, 0.9f); // under the projection the list moved
        },
        1);
}

TEST_F(GlesLayer, FogOnAListsVerticesFollowsTheCallsMatrix)
{
    // The list's vertices reach eye space in the program: the fog must
    // take the distance the call's matrix gives them.
    expect_same_picture(
        [](const Gl& gl) {
            const GLuint list = gl.gen_lists(1);
            gl.new_list(list, GL_COMPILE);
            gl.color4f(0.0f, 1.0f, 0.0f, 1.0f);
            gl.begin(GL_QUADS);
            gl.vertex3f(-0.8f, -0.8f, 0.0f);
            gl.vertex3f(0.8f, -0.8f, 0.0f);
            gl.vertex3f(0.8f, 0.8f, 0.0f);
            gl.vertex3f(-0.8f, 0.8f, 0.0f);
            gl.end();
            gl.end_list();
            gl.matrix_mode(GL_PROJECTION);
            gl.perspective(60.0, 1.0, 0.5, 50.0);
            gl.matrix_mode(GL_MODELVIEW);
            const float fog_colour[4] = {0.6f, 0.2f, 0.9f, 1.0f};
            gl.enable(GL_FOG);
            gl.fogi(GL_FOG_MODE, GL_LINEAR);
            gl.fogfv(GL_FOG_COLOR, fog_colour);
            gl.fogf(GL_FOG_START, 1.0f);
            gl.fogf(GL_FOG_END, 12.0f);
            gl.hint(GL_FOG_HINT, GL_NICEST);
            gl.translatef(-0.5f, 0.0f, -2.0f);
            gl.call_list(list);
            gl.translatef(1.5f, 0.0f, -6.0f);
            gl.rotatef(60.0f, 0.0f, 1.0f, 0.0f);
            gl.call_list(list);
            gl.disable(GL_FOG);
        },
        2);
}

TEST_F(GlesLayer, ListsAreDrawnAgainAfterTheShareGroupIsGone)
{
    // A context that takes its share group with it: the lists are gone,
    // and lists compiled for the next context are filled into a buffer of
    // that context's own.
    use(layer_side);
    const GLuint old_list = compile_square_list(0.5f, true);
    elka_gl_call_list(old_list);
    gles_flush();
    gles_context_deleted(false);
    Side next;
    ASSERT_TRUE(make_side(EGL_OPENGL_ES_API, es3_attributes, &next));
    const Picture got = draw(next, layer, [](const Gl& gl) {
        const GLuint list = gl.gen_lists(1);
        gl.new_list(list, GL_COMPILE);
        gl.color4f(1.0f, 0.0f, 1.0f, 1.0f);
        gl.begin(GL_TRIANGLES);
        gl.vertex3f(-1.0f, -1.0f, 0.0f);
        gl.vertex3f(0.0f, -1.0f, 0.0f);
        gl.vertex3f(-1.0f, 0.0f, 0.0f);
        gl.end();
        gl.end_list();
        gl.call_list(list);
    });
    EXPECT_EQ(pixel(got, 4, 4)[0], 255) << "the list made for the new context is drawn";
    EXPECT_EQ(pixel(got, 4, 4)[2], 255);
    EXPECT_EQ(pixel(got, 32, 32)[1], 0) << "nothing of the old list";
    gles_context_deleted(false);
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display, next.context);
}

#ifdef NDEBUG
TEST_F(GlesLayer, ACallOutsideTheSubsetIsNamedOnce)
{
    use(layer_side);
    ::testing::internal::CaptureStderr();
    elka_gl_enable(0x0B50); // GL_LIGHTING: the system never lights
    elka_gl_enable(0x0B50);
    elka_gl_fogi(GL_FOG_MODE, GL_EXP);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "elka gles: glEnable(0x0B50) is outside the GL subset this layer draws\n"
                    "elka gles: glFogi(0x0800) is outside the GL subset this layer draws\n");
    EXPECT_EQ(elka_gl_is_enabled(GL_FOG), GL_FALSE);
}
#else
TEST_F(GlesLayer, ACallOutsideTheSubsetAborts)
{
    use(layer_side);
    EXPECT_DEATH(elka_gl_enable(0x0B50), "glEnable\\(0x0B50\\) is outside the GL subset");
}
#endif

} // namespace
