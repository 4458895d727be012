// The outline font on a real Mesa context: the glyph lists and their
// metrics, print_text's effect on the modelview matrix, the pixels a text
// lights, the fallback when files/font.ttf is missing or not a font, and
// delete_font with and without a current context.
#include "resources/outline_font.h"

#include "app/gl_window.h"
#include "platform/host.h"
#include "harness/test_support.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* const face_name = "Secret Service Typewriter";

struct Translation {
    float x, y, z;
};

// Modelview as a translation; fails the test if it holds anything else.
Translation modelview_translation()
{
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const GLfloat identity3x3[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
    for (int i = 0; i < 12; ++i)
        EXPECT_FLOAT_EQ(m[i], identity3x3[i]) << "element " << i;
    EXPECT_FLOAT_EQ(m[15], 1.0f);
    return {m[12], m[13], m[14]};
}

float advance(unsigned char code) { return resources.glyph_metrics[code].cell_inc_x; }

float text_width(const std::string& text)
{
    float width = 0.0f;
    for (unsigned char c : text)
        width += advance(c);
    return width;
}

// What a font file says, read with fontTools (not FreeType, not our code):
// for each ANSI code 0..254 the advance and the ink box of its glyph (the
// missing glyph when the face lacks the character), in design units.
struct FileGlyph {
    double advance = 0, x_min = 0, y_min = 0, x_max = 0, y_max = 0;
    bool ink = false;
};
struct FileFont {
    double units_per_em = 0;
    std::map<int, FileGlyph> glyphs;
};

FileFont read_font_file(const std::string& path)
{
    const char* script = R"PY(
import sys
from fontTools.pens.areaPen import AreaPen
from fontTools.pens.boundsPen import BoundsPen
from fontTools.pens.recordingPen import DecomposingRecordingPen
from fontTools.ttLib import TTFont
font = TTFont(sys.argv[1], fontNumber=0)
cmap = font.getBestCmap()
glyphs = font.getGlyphSet()
print(font["head"].unitsPerEm)
for code in range(255):
    try:
        u = ord(bytes([code]).decode("cp1252"))
    except UnicodeDecodeError:
        u = code
    name = cmap.get(u, font.getGlyphOrder()[0])
    record = DecomposingRecordingPen(glyphs)
    glyphs[name].draw(record)
    # The curves' own bounds (not their control points'), over the contours
    # that enclose something: a stray point is no ink.
    bounds, contour = None, []
    for op, args in record.value:
        contour.append((op, args))
        if op in ("closePath", "endPath"):
            area, box = AreaPen(), BoundsPen(None)
            for o, a in contour:
                getattr(area, o)(*a)
                getattr(box, o)(*a)
            if area.value != 0 and box.bounds:
                b = box.bounds
                bounds = b if bounds is None else (min(bounds[0], b[0]), min(bounds[1], b[1]),
                                                   max(bounds[2], b[2]), max(bounds[3], b[3]))
            contour = []
    adv = font["hmtx"][name][0]
    if bounds:
        print(code, adv, 1, *bounds)
    else:
        print(code, adv, 0, 0, 0, 0, 0)
)PY";
    std::string script_path = "/tmp/elka-font-read-" + std::to_string(getpid()) + ".py";
    {
        std::ofstream(script_path) << script;
    }
    std::string out, err;
    int status = run_command("/usr/bin/python3 " + script_path + " '" + path + "'", &out, &err);
    std::remove(script_path.c_str());
    EXPECT_EQ(status, 0) << err;
    FileFont font;
    std::istringstream in(out);
    in >> font.units_per_em;
    int code, ink;
    FileGlyph g;
    while (in >> code >> g.advance >> ink >> g.x_min >> g.y_min >> g.x_max >> g.y_max) {
        g.ink = ink != 0;
        font.glyphs[code] = g;
    }
    EXPECT_EQ(font.glyphs.size(), 255u);
    return font;
}

// Black screen, white text, nothing in between.
void plain_white_on_black(const GlTestWindow& window)
{
    resize_viewport(window.width, window.height);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor4f(1, 1, 1, 1);
    glLoadIdentity();
}

struct LitBox {
    int count = 0, x_min = 1 << 30, y_min = 1 << 30, x_max = -1, y_max = -1;
    float depth_min = 2.0f, depth_max = -1.0f; // depth of the lit pixels
};
LitBox lit_pixels(const GlTestWindow& window)
{
    std::size_t size = static_cast<std::size_t>(window.width) * window.height;
    std::vector<unsigned char> rgba(size * 4);
    std::vector<float> depth(size);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, window.width, window.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glReadPixels(0, 0, window.width, window.height, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    LitBox box;
    for (int y = 0; y < window.height; ++y)
        for (int x = 0; x < window.width; ++x) {
            std::size_t i = static_cast<std::size_t>(y) * window.width + x;
            const unsigned char* p = &rgba[i * 4];
            if (p[0] > 128 && p[1] > 128 && p[2] > 128) {
                ++box.count;
                box.depth_min = std::min(box.depth_min, depth[i]);
                box.depth_max = std::max(box.depth_max, depth[i]);
                box.x_min = std::min(box.x_min, x);
                box.x_max = std::max(box.x_max, x);
                box.y_min = std::min(box.y_min, y);
                box.y_max = std::max(box.y_max, y);
            }
        }
    return box;
}

// Runs the test body in a fresh temporary working directory.
class TempWorkingDir {
public:
    TempWorkingDir()
    {
        char name[] = "/tmp/elka-font-cwdXXXXXX";
        dir = mkdtemp(name) ? name : "";
        old = getcwd(nullptr, 0);
        EXPECT_FALSE(dir.empty());
        EXPECT_EQ(chdir(dir.c_str()), 0);
    }
    ~TempWorkingDir()
    {
        if (old) {
            EXPECT_EQ(chdir(old), 0);
            std::free(old);
        }
        run_command("rm -rf '" + dir + "'");
    }
    std::string dir;

private:
    char* old = nullptr;
};

std::string matched_family()
{
    OutlineFace* face = platform_match_outline_face(face_name, 700);
    std::string family = platform_outline_face_family(face);
    platform_close_outline_face(face);
    return family;
}

std::string matched_file()
{
    OutlineFace* face = platform_match_outline_face(face_name, 700);
    std::string file = platform_outline_face_file(face);
    platform_close_outline_face(face);
    return file;
}

// With the font built, "A" is drawn and lights the pixels of its ink box.
void expect_text_lights_its_ink(GlTestWindow& window, const char* text)
{
    plain_white_on_black(window);
    print_text("%s", text);
    LitBox lit = lit_pixels(window);
    ASSERT_GT(lit.count, 200) << "the text lit (almost) nothing";

    // Where the ink should be: the union of the glyphs' black boxes, placed
    // as print_text places them, projected like the text was.
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glLoadIdentity();
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    double pen = -0.5 * text_width(text);
    double left = 1e9, right = -1e9, top = -1e9, bottom = 1e9;
    for (const char* c = text; *c; ++c) {
        const GlyphMetricsFloat& m = resources.glyph_metrics[static_cast<unsigned char>(*c)];
        if (m.black_box_x > 0) {
            left = std::min(left, pen + m.glyph_origin_x);
            right = std::max(right, pen + m.glyph_origin_x + m.black_box_x);
            top = std::max(top, static_cast<double>(m.glyph_origin_y));
            bottom = std::min(bottom, static_cast<double>(m.glyph_origin_y - m.black_box_y));
        }
        pen += m.cell_inc_x;
    }
    GLdouble x0, y0, x1, y1, z;
    gluProject(left, bottom, -3.0, model, projection, viewport, &x0, &y0, &z);
    gluProject(right, top, -3.0, model, projection, viewport, &x1, &y1, &z);
    EXPECT_NEAR(lit.x_min, x0, 2.0);
    EXPECT_NEAR(lit.x_max + 1, x1, 2.0);
    EXPECT_NEAR(lit.y_min, y0, 2.0);
    EXPECT_NEAR(lit.y_max + 1, y1, 2.0);
}

class OutlineFont : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.ok());
        build_font();
        ASSERT_NE(resources.font_list_base, 0u);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    GlTestWindow window;
};

} // namespace

TEST(FontFace, RepositoryFontIsMatchedByItsFaceNameAndEmboldened)
{
    EXPECT_TRUE(platform_add_font_file("files/font.ttf"));
    OutlineFace* face = platform_match_outline_face(face_name, 700);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(platform_outline_face_family(face), face_name);
    std::string file = platform_outline_face_file(face);
    EXPECT_EQ(file.substr(file.size() - 15), "/files/font.ttf");
    // The file holds a regular face: bold is made by emboldening.
    EXPECT_TRUE(platform_outline_face_emboldened(face));
    platform_close_outline_face(face);
}

TEST_F(OutlineFont, ListsAndMetricsCoverCodes0To254Only)
{
    for (int code = 0; code < 255; ++code)
        EXPECT_TRUE(glIsList(resources.font_list_base + code)) << "code " << code;
    // Name 255 is reserved but undefined: calling it does nothing.
    glCallList(resources.font_list_base + 255);
    Translation t = modelview_translation();
    EXPECT_EQ(t.x, 0.0f);
    EXPECT_EQ(t.z, 0.0f);
    const GlyphMetricsFloat& last = resources.glyph_metrics[255];
    EXPECT_EQ(last.black_box_x, 0.0f);
    EXPECT_EQ(last.black_box_y, 0.0f);
    EXPECT_EQ(last.glyph_origin_x, 0.0f);
    EXPECT_EQ(last.glyph_origin_y, 0.0f);
    EXPECT_EQ(last.cell_inc_x, 0.0f);
    EXPECT_EQ(last.cell_inc_y, 0.0f);
}

TEST_F(OutlineFont, MetricsMatchTheFontFileInEmUnits)
{
    FileFont file = read_font_file("files/font.ttf");
    ASSERT_GT(file.units_per_em, 0.0);
    // Emboldening by 1/24 em grows the ink (by more at sharp corners) but
    // never the advance.
    const double grow = 2.0 / 24.0;
    for (int code = 0; code < 255; ++code) {
        const FileGlyph& g = file.glyphs[code];
        const GlyphMetricsFloat& m = resources.glyph_metrics[code];
        EXPECT_NEAR(m.cell_inc_x, g.advance / file.units_per_em, 1e-6) << "code " << code;
        EXPECT_EQ(m.cell_inc_y, 0.0f);
        if (!g.ink) {
            EXPECT_EQ(m.black_box_x, 0.0f) << "code " << code;
            continue;
        }
        double width = (g.x_max - g.x_min) / file.units_per_em;
        double height = (g.y_max - g.y_min) / file.units_per_em;
        EXPECT_GE(m.black_box_x, width - 1e-3) << "code " << code;
        EXPECT_LE(m.black_box_x, width + grow) << "code " << code;
        EXPECT_GE(m.black_box_y, height - 1e-3) << "code " << code;
        EXPECT_LE(m.black_box_y, height + grow) << "code " << code;
        EXPECT_NEAR(m.glyph_origin_x, g.x_min / file.units_per_em, grow) << "code " << code;
        EXPECT_NEAR(m.glyph_origin_y, g.y_max / file.units_per_em, grow) << "code " << code;
    }
}

namespace {
// An orthographic view of the plane z = 0: x from -0.5 to 1.5 over the 800
// columns, y likewise over the 600 rows, z = 0 at depth 0.5. Depth is
// written for every fragment, so it tells where the glyph lies in z.
void ortho_view_of_z0(const GlTestWindow& window, bool cull_back_faces)
{
    plain_white_on_black(window);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-0.5, 1.5, -0.5, 1.5, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    if (cull_back_faces) {
        glFrontFace(GL_CCW);
        glCullFace(GL_BACK);
        glEnable(GL_CULL_FACE);
    }
}
} // namespace

TEST_F(OutlineFont, GlyphsAreFilledPolygonsInThePlaneZ0FacingPlusZ)
{
    ASSERT_EQ(window.width, 800);
    ASSERT_EQ(window.height, 600);
    for (int code : std::initializer_list<int>{'A', 'O', '8', '@', 'g', 0x80, 0xC6}) {
        const GlyphMetricsFloat& m = resources.glyph_metrics[code];
        ortho_view_of_z0(window, false);
        glCallList(resources.font_list_base + code);
        LitBox all = lit_pixels(window);
        ASSERT_GT(all.count, 0) << "code " << code;
        EXPECT_NEAR(all.depth_min, 0.5f, 1e-4f) << "code " << code;
        EXPECT_NEAR(all.depth_max, 0.5f, 1e-4f) << "code " << code;
        // The ink stays in its black box.
        EXPECT_GE(all.x_min, (m.glyph_origin_x + 0.5) * 400.0 - 1.0) << "code " << code;
        EXPECT_LE(all.x_max, (m.glyph_origin_x + m.black_box_x + 0.5) * 400.0 + 1.0) << "code " << code;
        EXPECT_LE(all.y_max, (m.glyph_origin_y + 0.5) * 300.0 + 1.0) << "code " << code;
        EXPECT_GE(all.y_min, (m.glyph_origin_y - m.black_box_y + 0.5) * 300.0 - 1.0) << "code " << code;
        // Filled, not outlined: a good part of the black box is covered.
        double box = m.black_box_x * 400.0 * m.black_box_y * 300.0;
        EXPECT_GT(all.count, 0.15 * box) << "code " << code;

        // Culling back faces removes nothing: every polygon faces +z.
        ortho_view_of_z0(window, true);
        glCallList(resources.font_list_base + code);
        EXPECT_EQ(lit_pixels(window).count, all.count) << "code " << code;
        glDisable(GL_CULL_FACE);
    }
}

TEST_F(OutlineFont, EachListEndsWithItsAdvance)
{
    for (int code : std::initializer_list<int>{' ', 'A', 'i', 0x80, 0}) {
        glLoadIdentity();
        glCallList(resources.font_list_base + code);
        Translation t = modelview_translation();
        EXPECT_FLOAT_EQ(t.x, advance(code)) << "code " << int(code);
        EXPECT_FLOAT_EQ(t.y, 0.0f);
        EXPECT_FLOAT_EQ(t.z, 0.0f);
    }
    ortho_view_of_z0(window, false);
    glCallList(resources.font_list_base + ' ');
    EXPECT_EQ(lit_pixels(window).count, 0) << "a space has no ink";
}

TEST_F(OutlineFont, PrintTextNullLeavesMatrixAndDrawsNothing)
{
    glTranslatef(1.0f, 2.0f, 3.0f);
    print_text(nullptr);
    Translation t = modelview_translation();
    EXPECT_FLOAT_EQ(t.x, 1.0f);
    EXPECT_FLOAT_EQ(t.y, 2.0f);
    EXPECT_FLOAT_EQ(t.z, 3.0f);
    plain_white_on_black(window);
    print_text(nullptr);
    EXPECT_EQ(lit_pixels(window).count, 0);
}

TEST_F(OutlineFont, PrintTextEmptyMovesThreeUnitsIn)
{
    const char* empty = "";
    print_text(empty);
    Translation t = modelview_translation();
    EXPECT_FLOAT_EQ(t.x, 0.0f);
    EXPECT_FLOAT_EQ(t.y, 0.0f);
    EXPECT_FLOAT_EQ(t.z, -3.0f);
    plain_white_on_black(window);
    print_text(empty);
    EXPECT_EQ(lit_pixels(window).count, 0);
}


TEST_F(OutlineFont, PrintTextOneCharacterIsCentredAndLeavesHalfItsAdvance)
{
    float a = advance('A');
    ASSERT_GT(a, 0.3f);
    print_text("A");
    Translation t = modelview_translation();
    EXPECT_FLOAT_EQ(t.x, a * 0.5f);
    EXPECT_FLOAT_EQ(t.y, 0.0f);
    EXPECT_FLOAT_EQ(t.z, -3.0f);

    // The glyph is drawn with its origin half the advance to the left, 3
    // units in (depth 0.5 under this projection).
    plain_white_on_black(window);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1.0, 1.0, -1.0, 1.0, 2.0, 4.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    print_text("A");
    LitBox lit = lit_pixels(window);
    ASSERT_GT(lit.count, 0);
    EXPECT_NEAR(lit.depth_min, 0.5f, 1e-4f);
    EXPECT_NEAR(lit.depth_max, 0.5f, 1e-4f);
    const GlyphMetricsFloat& m = resources.glyph_metrics['A'];
    EXPECT_NEAR(lit.x_min, (-a * 0.5f + m.glyph_origin_x + 1.0f) * 400.0f, 1.5f);
    EXPECT_NEAR(lit.x_max + 1, (-a * 0.5f + m.glyph_origin_x + m.black_box_x + 1.0f) * 400.0f, 1.5f);
    EXPECT_NEAR(lit.y_min, (m.glyph_origin_y - m.black_box_y + 1.0f) * 300.0f, 1.5f);
}

TEST_F(OutlineFont, PrintTextTwiceInARowStacksTheTranslations)
{
    float first = text_width("eLka"), second = text_width("AB");
    print_text("eLka");
    print_text("AB");
    Translation t = modelview_translation();
    EXPECT_FLOAT_EQ(t.x, first * 0.5f + second * 0.5f);
    EXPECT_FLOAT_EQ(t.y, 0.0f);
    EXPECT_FLOAT_EQ(t.z, -6.0f);
}

TEST_F(OutlineFont, PrintTextCode255AddsNoWidthAndDrawsNothing)
{
    print_text("\xff");
    Translation t = modelview_translation();
    EXPECT_FLOAT_EQ(t.x, 0.0f);
    EXPECT_FLOAT_EQ(t.z, -3.0f);
    glLoadIdentity();
    print_text("A\xff");
    EXPECT_FLOAT_EQ(modelview_translation().x, advance('A') * 0.5f);
    plain_white_on_black(window);
    print_text("\xff\xff\xff");
    EXPECT_EQ(lit_pixels(window).count, 0);
}

TEST_F(OutlineFont, PrintTextInterpretsPercentAsAConversion)
{
    // "100%%" formats to the four characters "100%".
    print_text("100%%");
    EXPECT_FLOAT_EQ(modelview_translation().x, text_width("100%") * 0.5f);
    glLoadIdentity();
    const char* format = "%d%s";
    print_text(format, 7, "up");
    EXPECT_FLOAT_EQ(modelview_translation().x, text_width("7up") * 0.5f);
}

TEST_F(OutlineFont, PrintTextKeepsTheListBase)
{
    glListBase(7);
    print_text("A");
    GLint base = 0;
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(base, 7);
}

TEST_F(OutlineFont, PrintText255CharactersWhole)
{
    std::string text(255, 'W');
    text[0] = 'i';
    print_text("%s", text.c_str());
    EXPECT_FLOAT_EQ(modelview_translation().x, text_width(text) * 0.5f);
}

TEST_F(OutlineFont, PrintTextLongerThan255IsCutTo255)
{
    // The buffer holds 255 characters and the terminator; the rest is cut.
    std::string text(600, 'M');
    print_text("%s", text.c_str());
    EXPECT_FLOAT_EQ(modelview_translation().x, text_width(std::string(255, 'M')) * 0.5f);
    glLoadIdentity();
    print_text("%s%s", std::string(200, 'M').c_str(), std::string(200, 'i').c_str());
    EXPECT_FLOAT_EQ(modelview_translation().x,
                    text_width(std::string(200, 'M') + std::string(55, 'i')) * 0.5f);
}

TEST_F(OutlineFont, WhiteTextOnBlackLightsItsInk)
{
    expect_text_lights_its_ink(window, "A");
    expect_text_lights_its_ink(window, "eLka");

    // Nonzero winding keeps the counter of "O" open: its centre stays dark
    // while the ring around it is lit.
    plain_white_on_black(window);
    print_text("O");
    LitBox lit = lit_pixels(window);
    ASSERT_GT(lit.count, 200);
    unsigned char rgba[4];
    window.pixel((lit.x_min + lit.x_max) / 2, (lit.y_min + lit.y_max) / 2, rgba);
    EXPECT_EQ(rgba[0], 0);
    int lit_on_row = 0;
    for (int x = lit.x_min; x <= lit.x_max; ++x) {
        window.pixel(x, (lit.y_min + lit.y_max) / 2, rgba);
        lit_on_row += rgba[0] > 128;
    }
    EXPECT_GT(lit_on_row, 4);
}

TEST(FontFallback, MissingFontFileFallsBackToAnInstalledFace)
{
    TempWorkingDir cwd;
    EXPECT_FALSE(platform_add_font_file("files/font.ttf"));
    EXPECT_NE(matched_family(), "");
    EXPECT_NE(matched_family(), face_name);

    GlTestWindow window;
    ASSERT_TRUE(window.ok());
    build_font();
    // The advances are the fallback face's, as its file says.
    FileFont file = read_font_file(matched_file());
    ASSERT_GT(file.units_per_em, 0.0);
    for (int code = 32; code < 127; ++code)
        EXPECT_NEAR(advance(code), file.glyphs[code].advance / file.units_per_em, 1e-6) << "code " << code;
    expect_text_lights_its_ink(window, "A");
}

TEST(FontFallback, FontFileThatIsNoFontFallsBackToAnInstalledFace)
{
    TempWorkingDir cwd;
    ASSERT_EQ(run_command("mkdir files && echo 'not a font' > files/font.ttf"), 0);
    EXPECT_FALSE(platform_add_font_file("files/font.ttf"));
    EXPECT_NE(matched_family(), "");
    EXPECT_NE(matched_family(), face_name);

    GlTestWindow window;
    ASSERT_TRUE(window.ok());
    build_font();
    for (int code = 33; code < 127; ++code)
        EXPECT_GT(advance(code), 0.0f) << "code " << code;
    expect_text_lights_its_ink(window, "eLka");
}

TEST(FontDelete, WithoutAContextLeavesTheListsAloneWithOneDeletesThem)
{
    {
        GlTestWindow window;
        ASSERT_TRUE(window.ok());
        build_font();
        GLuint base = resources.font_list_base;
        ASSERT_NE(base, 0u);

        ASSERT_TRUE(platform_make_current(nullptr, nullptr));
        ASSERT_FALSE(platform_context_current());
        delete_font(); // must not touch GL
        ASSERT_TRUE(platform_make_current(app.window_dc, app.gl_context));
        EXPECT_EQ(resources.font_list_base, base);
        EXPECT_TRUE(glIsList(base + 'A'));

        delete_font();
        for (int code = 0; code < 256; ++code)
            EXPECT_FALSE(glIsList(base + code)) << "code " << code;
        build_font(); // for the shutdown order below
    }
    // As at shutdown: the window and its context are gone.
    ASSERT_FALSE(platform_context_current());
    delete_font();
    SUCCEED();
}
