// The captions' face (platform/caption_font): an installed monospaced face,
// not a file the process added; antialiased ink that stays inside its line;
// every character of a label where its glyph's outline says it is, checked
// against the face's own tables as fontTools reads them.
#include "caption_font.h"
#include "platform/host.h"

#include "harness/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::uint8_t background[3] = {28, 28, 32};
const std::uint8_t ink[3] = {232, 232, 232};

struct Picture {
    int width, height;
    std::vector<std::uint8_t> rgb;
    Picture(int w, int h)
        : width(w)
        , height(h)
        , rgb(static_cast<std::size_t>(w) * h * 3)
    {
        for (std::size_t i = 0; i < rgb.size(); i += 3)
            std::copy(background, background + 3, rgb.begin() + static_cast<std::ptrdiff_t>(i));
    }
    CaptionCanvas canvas() { return {rgb.data(), width, height}; }
    const std::uint8_t* at(int x, int y) const { return rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3; }
    // Coverage 0..255 of the ink over the background at (x, y), from the red channel.
    int coverage(int x, int y) const { return (at(x, y)[0] - background[0]) * 255 / (ink[0] - background[0]); }
};

struct Box {
    int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN; // x1, y1 one past
    bool empty() const { return x0 > x1; }
    void add(int x, int y)
    {
        x0 = std::min(x0, x), y0 = std::min(y0, y);
        x1 = std::max(x1, x + 1), y1 = std::max(y1, y + 1);
    }
};

Box ink_box(const Picture& p, int x0, int y0, int x1, int y1, int threshold = 0)
{
    Box box;
    for (int y = std::max(0, y0); y < std::min(p.height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(p.width, x1); ++x)
            if (p.coverage(x, y) > threshold)
                box.add(x, y);
    return box;
}

// What the face's own tables say, read by fontTools: units per em, then per
// character its advance and outline bounds (xMin yMin xMax yMax, in design
// units; nothing for an empty glyph).
struct GlyphFacts {
    double advance = 0;
    bool has_ink = false;
    double x_min = 0, y_min = 0, x_max = 0, y_max = 0;
};

bool read_face_tables(const std::string& file, const std::string& characters, double* units,
                      std::map<char, GlyphFacts>* facts)
{
    const char* script = R"PY(
import sys
from fontTools.pens.boundsPen import BoundsPen
from fontTools.ttLib import TTFont
font = TTFont(sys.argv[1], fontNumber=0)
glyphs = font.getGlyphSet()
cmap = font.getBestCmap()
print(font["head"].unitsPerEm)
for ch in sys.argv[2]:
    name = cmap.get(ord(ch), ".notdef")
    pen = BoundsPen(glyphs)
    glyphs[name].draw(pen)
    bounds = " ".join(str(v) for v in pen.bounds) if pen.bounds else "-"
    print(ord(ch), font["hmtx"][name][0], bounds)
)PY";
    std::string out, err;
    std::string command = "/usr/bin/python3 -c '" + std::string(script) + "' '" + file + "' '" + characters + "'";
    if (run_command(command, &out, &err) != 0) {
        ADD_FAILURE() << "fontTools could not read " << file << ": " << err;
        return false;
    }
    std::istringstream lines(out);
    lines >> *units;
    int code;
    double advance;
    while (lines >> code >> advance) {
        GlyphFacts f;
        f.advance = advance;
        std::string first;
        lines >> first;
        if (first != "-") {
            f.has_ink = true;
            f.x_min = std::atof(first.c_str());
            lines >> f.y_min >> f.x_max >> f.y_max;
        }
        (*facts)[static_cast<char>(code)] = f;
    }
    return facts->size() > 0;
}

class CaptionFontTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        font = caption_font_open(10, &error);
        ASSERT_NE(font, nullptr) << error;
    }
    void TearDown() override { caption_font_close(font); }
    CaptionFont* font = nullptr;
};

TEST_F(CaptionFontTest, IsAnInstalledMonospacedFace)
{
    EXPECT_FALSE(caption_font_family(font).empty());
    std::string file = caption_font_file(font);
    EXPECT_EQ(file.rfind("/usr/share/fonts/", 0), 0u) << file;
    // A fixed pitch: narrow, wide and blank characters advance alike.
    int pitch = caption_text_width(font, "M");
    EXPECT_GE(pitch, 5);
    EXPECT_LE(pitch, 7);
    for (const char* text : {"iiii", "MMMM", "    ", "W.:l"})
        EXPECT_EQ(caption_text_width(font, text), 4 * pitch) << text;
    EXPECT_EQ(caption_text_width(font, ""), 0);
}

TEST_F(CaptionFontTest, AddedFontFilesAreNotTaken)
{
    // The demo adds its own (monospaced) font to the process's fonts; the
    // captions keep to the installed ones.
    ASSERT_TRUE(platform_add_font_file((source_dir() + "/files/font.ttf").c_str()));
    std::string error;
    CaptionFont* after = caption_font_open(10, &error);
    ASSERT_NE(after, nullptr) << error;
    EXPECT_EQ(caption_font_file(after), caption_font_file(font));
    EXPECT_NE(caption_font_family(after), "Secret Service Typewriter");
    caption_font_close(after);
}

TEST_F(CaptionFontTest, InkIsAntialiasedAndStaysInItsLine)
{
    Picture p(220, 40);
    const std::string label = "scene 12  0:42.250";
    const int x = 7, top = 9, line_height = 11;
    caption_draw(font, p.canvas(), x, top, label, ink);
    int width = caption_text_width(font, label);
    Box box = ink_box(p, 0, 0, p.width, p.height);
    ASSERT_FALSE(box.empty());
    EXPECT_GE(box.x0, x);
    EXPECT_LE(box.x1, x + width);
    EXPECT_GE(box.y0, top);
    EXPECT_LE(box.y1, top + line_height + 1); // descenders may reach a pixel into the next line's gap
    EXPECT_GE(box.x1 - box.x0, width - caption_text_width(font, " ") * 2); // spans the label

    // Antialiased: between the background and the ink there are many
    // shades; there is full ink too; nothing is off the line between them.
    std::map<int, int> shades;
    int partial = 0, full = 0;
    for (int yy = 0; yy < p.height; ++yy)
        for (int xx = 0; xx < p.width; ++xx) {
            const std::uint8_t* px = p.at(xx, yy);
            EXPECT_EQ(px[0], px[1]) << xx << ", " << yy; // grey ink over grey-blue: red and green agree
            int c = p.coverage(xx, yy);
            if (c > 0 && c < 240) {
                ++partial;
                ++shades[c / 16];
            }
            if (c >= 240)
                ++full;
        }
    EXPECT_GE(partial, 40);
    EXPECT_GE(static_cast<int>(shades.size()), 8) << "distinct grey levels (in steps of 16)";
    EXPECT_GE(full, 3);
}

TEST_F(CaptionFontTest, EveryCharacterIsWhereItsOutlineSays)
{
    const std::string label = "scene 7  1:05.300 \"title\"";
    double units = 0;
    std::map<char, GlyphFacts> facts;
    ASSERT_TRUE(read_face_tables(caption_font_file(font), label, &units, &facts));
    ASSERT_GT(units, 0);
    const double scale = 10.0 / units;

    Picture p(260, 40);
    const int x = 5, top = 10;
    caption_draw(font, p.canvas(), x, top, label, ink);
    const int baseline = top + caption_ascent(font);

    int pen = x;
    int flat_bottoms = 0;
    for (std::size_t i = 0; i < label.size(); ++i) {
        char c = label[i];
        const GlyphFacts& f = facts[c];
        int advance = static_cast<int>(std::lround(f.advance * scale));
        SCOPED_TRACE(std::string("character ") + std::to_string(i) + " '" + c + "'");
        if (!f.has_ink) {
            // A blank: no ink of note in its cell (its neighbours' edges may
            // shade its first and last column faintly).
            EXPECT_TRUE(ink_box(p, pen + 1, 0, pen + advance - 1, p.height, 64).empty());
        } else {
            // The ink in and around the glyph's cell, at more than a faint
            // shade, lies within the outline's bounds (give or take the
            // pixel the antialiasing and the hinting of rows spread it by),
            // and reaches nearly to them.
            int ex0 = pen + static_cast<int>(std::floor(f.x_min * scale));
            int ex1 = pen + static_cast<int>(std::ceil(f.x_max * scale));
            int ey0 = baseline - static_cast<int>(std::ceil(f.y_max * scale));
            int ey1 = baseline - static_cast<int>(std::floor(f.y_min * scale));
            Box box = ink_box(p, ex0 - 1, ey0 - 1, ex1 + 1, ey1 + 1, 64);
            ASSERT_FALSE(box.empty());
            EXPECT_GE(box.x0, ex0 - 1);
            EXPECT_LE(box.x1, ex1 + 1);
            EXPECT_GE(box.y0, ey0 - 1);
            EXPECT_LE(box.y1, ey1 + 1);
            EXPECT_LE(std::abs(box.y0 - ey0), 1) << "top of the ink";
            EXPECT_LE(std::abs(box.y1 - ey1), 1) << "bottom of the ink";
            // A glyph standing flat on the baseline ends on the row above
            // it: the rows are hinted to the pixel grid.
            if (f.y_min == 0) {
                flat_bottoms++;
                EXPECT_EQ(ink_box(p, ex0 - 1, ey0 - 1, ex1 + 1, ey1 + 1, 128).y1, baseline) << "stands on the baseline";
            }
            // Nothing above or below the glyph's rows in its cell.
            EXPECT_TRUE(ink_box(p, pen + 1, 0, pen + advance - 1, ey0 - 1, 64).empty());
            EXPECT_TRUE(ink_box(p, pen + 1, ey1 + 1, pen + advance - 1, p.height, 64).empty());
        }
        pen += advance;
    }
    EXPECT_EQ(pen - x, caption_text_width(font, label));
    EXPECT_GE(flat_bottoms, 3); // '1', ':', '.' stand flat in any face
}

TEST_F(CaptionFontTest, TwiceTheSizeIsTwiceAsWide)
{
    std::string error;
    CaptionFont* header = caption_font_open(20, &error);
    ASSERT_NE(header, nullptr) << error;
    const std::string text = "eLka  800x600, 60 frames per second";
    int small = caption_text_width(font, text);
    int large = caption_text_width(header, text);
    EXPECT_NEAR(large, 2 * small, static_cast<int>(text.size())); // each advance rounded on its own
    EXPECT_GT(caption_ascent(header), caption_ascent(font));
    caption_font_close(header);
}

TEST_F(CaptionFontTest, ClippedAtTheCanvasEdges)
{
    Picture p(30, 8);
    // Partly and wholly outside: no pixel outside the canvas is touched
    // (the sanitizer build would see it), and the parts inside are drawn.
    caption_draw(font, p.canvas(), -12, -4, "clipped text", ink);
    caption_draw(font, p.canvas(), 20, 3, "clipped text", ink);
    caption_draw(font, p.canvas(), 500, 500, "far away", ink);
    caption_draw(font, p.canvas(), 0, 0, "\xE2\x82\xAC \xFF\xFE \xEE\x80\x80",
                          ink); // euro, bad bytes, private use
    EXPECT_FALSE(ink_box(p, 0, 0, p.width, p.height).empty());
}

TEST(CaptionFont, SizeBelowOnePixelIsRefused)
{
    std::string error;
    EXPECT_EQ(caption_font_open(0, &error), nullptr);
    EXPECT_FALSE(error.empty());
}

} // namespace
