// Face matching and glyph outlines of the platform layer, without GL: the
// ANSI code page, bold requests of bold and regular faces, and how closely
// the flattened contours follow the font's curves.
#include "platform/host.h"

#include "harness/test_support.h"
#include "support/pipe_guard.h"

#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct Sample {
    double x, y;
};

// Points on the glyphs' true curves (in design units), read with fontTools:
// many per segment, so none of a curve's bends goes unseen.
std::map<int, std::vector<Sample>> curve_samples(const std::string& file, const std::string& characters,
                                                 double* units_per_em)
{
    const char* script = R"PY(
import sys
from fontTools.pens.recordingPen import DecomposingRecordingPen
from fontTools.ttLib import TTFont
font = TTFont(sys.argv[1], fontNumber=0)
glyphs = font.getGlyphSet()
print(font["head"].unitsPerEm)
def quad(p0, p1, p2):
    for i in range(65):
        t = i / 64
        u = 1 - t
        print(u*u*p0[0] + 2*u*t*p1[0] + t*t*p2[0], u*u*p0[1] + 2*u*t*p1[1] + t*t*p2[1])
def samples(code):
    pen = DecomposingRecordingPen(glyphs)
    glyphs[font.getBestCmap()[code]].draw(pen)
    start = cur = None
    for op, args in pen.value:
        if op == "moveTo":
            start = cur = args[0]
            print(*cur)
        elif op == "lineTo":
            cur = args[0]
            print(*cur)
        elif op == "qCurveTo":
            points = list(args)
            if points[-1] is None:
                raise SystemExit("contour without on-curve points")
            # Implied on-curve points halfway between consecutive off-curve ones.
            for i in range(len(points) - 1):
                end = points[i + 1] if i == len(points) - 2 else (
                    (points[i][0] + points[i + 1][0]) / 2, (points[i][1] + points[i + 1][1]) / 2)
                quad(cur, points[i], end)
                cur = end
        elif op in ("closePath", "endPath"):
            cur = start
for code in sys.argv[2:]:
    print("glyph", code)
    samples(int(code))
)PY";
    std::string script_path = "/tmp/elka-font-curves-" + std::to_string(getpid()) + ".py";
    std::ofstream(script_path) << script;
    std::string out, err;
    std::string command = "/usr/bin/python3 " + script_path + " '" + file + "'";
    for (unsigned char c : characters) {
        // Appended piece by piece: " " + a string trips GCC 12's false
        // -Wrestrict at -O3 (bug 105329).
        command += ' ';
        command += std::to_string(c);
    }
    int status = run_command(command, &out, &err);
    std::remove(script_path.c_str());
    EXPECT_EQ(status, 0) << err;
    std::istringstream in(out);
    in >> *units_per_em;
    std::map<int, std::vector<Sample>> samples;
    std::string word;
    int code = -1;
    while (in >> word) {
        if (word == "glyph") {
            in >> code;
            continue;
        }
        Sample s{std::stod(word), 0.0};
        in >> s.y;
        samples[code].push_back(s);
    }
    return samples;
}

double distance_to_segment(Sample p, OutlinePoint a, OutlinePoint b)
{
    double dx = b.x - a.x, dy = b.y - a.y;
    double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0;
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Largest distance from a point of the true curves to the flattened
// contours, in design units.
double largest_deviation(const std::vector<Sample>& samples, const GlyphOutline& glyph, double units)
{
    double worst = 0.0;
    for (const Sample& s : samples) {
        Sample p{s.x / units, s.y / units};
        double nearest = 1e9;
        int start = 0;
        for (int end : glyph.contour_ends) {
            for (int i = start; i < end; ++i) {
                OutlinePoint a = glyph.points[i], b = glyph.points[i + 1 < end ? i + 1 : start];
                nearest = std::min(nearest, distance_to_segment(p, a, b));
            }
            start = end;
        }
        worst = std::max(worst, nearest * units);
    }
    return worst;
}

} // namespace

TEST(FontAnsi, CodesMapThroughWindows1252)
{
    EXPECT_EQ(platform_ansi_to_unicode('A'), 0x41u);
    EXPECT_EQ(platform_ansi_to_unicode(0x80), 0x20ACu); // euro sign
    EXPECT_EQ(platform_ansi_to_unicode(0x92), 0x2019u);
    EXPECT_EQ(platform_ansi_to_unicode(0x9F), 0x0178u);
    EXPECT_EQ(platform_ansi_to_unicode(0x81), 0x81u); // undefined in the code page
    EXPECT_EQ(platform_ansi_to_unicode(0x9D), 0x9Du);
    EXPECT_EQ(platform_ansi_to_unicode(0xE9), 0xE9u);
    EXPECT_EQ(platform_ansi_to_unicode(0xFF), 0xFFu);
}

TEST(FontOutlines, BoldFaceIsNotEmboldenedAgain)
{
    OutlineFace* face = platform_match_outline_face("DejaVu Sans", 700);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(platform_outline_face_family(face), "DejaVu Sans");
    EXPECT_FALSE(platform_outline_face_emboldened(face));
    platform_close_outline_face(face);

    face = platform_match_outline_face("DejaVu Sans", 400);
    ASSERT_NE(face, nullptr);
    EXPECT_FALSE(platform_outline_face_emboldened(face));
    platform_close_outline_face(face);
}

TEST(FontOutlines, CurvesAreFlattenedWithinOneDesignUnit)
{
    // An installed bold face, so the outline is the file's own.
    OutlineFace* face = platform_match_outline_face("DejaVu Sans", 700);
    ASSERT_NE(face, nullptr);
    ASSERT_FALSE(platform_outline_face_emboldened(face));
    const std::string characters = "OS@&8g";
    double units = 0.0;
    std::map<int, std::vector<Sample>> all_samples =
        curve_samples(platform_outline_face_file(face), characters, &units);
    ASSERT_GT(units, 0.0);
    for (char c : characters) {
        GlyphOutline glyph;
        ASSERT_TRUE(platform_glyph_outline(face, static_cast<unsigned char>(c), &glyph));
        ASSERT_FALSE(glyph.contour_ends.empty()) << c;
        const std::vector<Sample>& samples = all_samples[static_cast<unsigned char>(c)];
        ASSERT_GT(samples.size(), 100u);
        EXPECT_LE(largest_deviation(samples, glyph, units), 1.0 + 1e-6) << c;
        // And not needlessly fine: far fewer points than samples.
        EXPECT_LT(glyph.points.size(), samples.size() / 8) << c;
    }
    platform_close_outline_face(face);
}

TEST(FontOutlines, EmboldeningWidensTheInkNotTheAdvance)
{
    ASSERT_TRUE(platform_add_font_file("files/font.ttf"));
    OutlineFace* face = platform_match_outline_face("Secret Service Typewriter", 700);
    ASSERT_NE(face, nullptr);
    ASSERT_TRUE(platform_outline_face_emboldened(face));
    GlyphOutline bold;
    ASSERT_TRUE(platform_glyph_outline(face, 'l', &bold));
    platform_close_outline_face(face);

    face = platform_match_outline_face("Secret Service Typewriter", 400);
    ASSERT_NE(face, nullptr);
    ASSERT_FALSE(platform_outline_face_emboldened(face));
    GlyphOutline regular;
    ASSERT_TRUE(platform_glyph_outline(face, 'l', &regular));
    platform_close_outline_face(face);

    EXPECT_EQ(bold.advance_x, regular.advance_x);
    // FreeType's synthetic bold strength, 1/24 em, in all.
    EXPECT_NEAR(bold.black_box_x - regular.black_box_x, 1.0 / 24.0, 2e-3);
    EXPECT_NEAR(bold.black_box_y - regular.black_box_y, 1.0 / 24.0, 2e-3);
}

TEST(FontOutlines, MissingCharacterGetsTheMissingGlyphAndItsAdvance)
{
    ASSERT_TRUE(platform_add_font_file("files/font.ttf"));
    OutlineFace* face = platform_match_outline_face("Secret Service Typewriter", 700);
    ASSERT_NE(face, nullptr);
    // Code 0x81 is U+0081, a control character no font draws.
    GlyphOutline missing;
    ASSERT_TRUE(platform_glyph_outline(face, 0x81, &missing));
    GlyphOutline also_missing;
    ASSERT_TRUE(platform_glyph_outline(face, 0x8D, &also_missing));
    EXPECT_GT(missing.advance_x, 0.0f);
    EXPECT_EQ(missing.advance_x, also_missing.advance_x);
    EXPECT_EQ(missing.points.size(), also_missing.points.size());
    EXPECT_EQ(missing.black_box_x, also_missing.black_box_x);
    platform_close_outline_face(face);
}

namespace {

// A bitmap font (BDF, FreeType reads it, fontconfig indexes it) of the
// demo's own family, bold: by name it is the best match for the demo's face,
// yet it has no outlines to fill.
std::string bitmap_typewriter_bdf()
{
    const char* a_rows[12] = {"00", "30", "48", "84", "84", "FC", "84", "84", "84", "00", "00", "00"};
    std::string glyph_a = "STARTCHAR A\nENCODING 65\nSWIDTH 500 0\nDWIDTH 6 0\nBBX 6 12 0 -2\nBITMAP\n";
    for (const char* row : a_rows)
        glyph_a += std::string(row) + "\n";
    glyph_a += "ENDCHAR\n";
    return "STARTFONT 2.1\n"
           "FONT -elka-Secret Service Typewriter-Bold-R-Normal--12-120-75-75-M-60-ISO10646-1\n"
           "SIZE 12 75 75\nFONTBOUNDINGBOX 6 12 0 -2\n"
           "STARTPROPERTIES 13\nFAMILY_NAME \"Secret Service Typewriter\"\nWEIGHT_NAME \"Bold\"\nSLANT \"R\"\n"
           "PIXEL_SIZE 12\nPOINT_SIZE 120\nRESOLUTION_X 75\nRESOLUTION_Y 75\nSPACING \"M\"\nAVERAGE_WIDTH 60\n"
           "CHARSET_REGISTRY \"ISO10646\"\nCHARSET_ENCODING \"1\"\nFONT_ASCENT 10\nFONT_DESCENT 2\nENDPROPERTIES\n"
           "CHARS 1\n" +
           glyph_a + "ENDFONT\n";
}

// A fontconfig configuration of the test's own made current for the
// test's length, and the process's own put back after it. (FONTCONFIG_FILE
// would be read only by the first start of fontconfig in the process, which
// an earlier test in the same program may already have made.)
class OwnFontConfig {
public:
    explicit OwnFontConfig(const std::string& file)
        : previous(FcConfigReference(nullptr)), own(FcConfigCreate())
    {
        loaded = FcConfigParseAndLoad(own, reinterpret_cast<const FcChar8*>(file.c_str()), FcTrue) == FcTrue &&
                 FcConfigBuildFonts(own) == FcTrue && FcConfigSetCurrent(own) == FcTrue;
    }
    ~OwnFontConfig()
    {
        FcConfigSetCurrent(previous);
        FcConfigDestroy(previous);
        FcConfigDestroy(own);
    }
    OwnFontConfig(const OwnFontConfig&) = delete;
    OwnFontConfig& operator=(const OwnFontConfig&) = delete;
    bool loaded = false;

private:
    FcConfig* previous;
    FcConfig* own;
};

} // namespace

// The bitmap face of the demo's family is registered as the font file (as
// a files/font.ttf that holds a bitmap font would be), in a fontconfig
// configuration of its own whose only other font is DejaVu Sans Bold
// (scalable), so the test does not depend on what the machine has
// installed, or on Debian's rule that rejects bitmap fonts. Font matching's
// own best face is the bitmap one; the outline face taken is the next
// scalable one of the match list, and its "A" has outlines.
TEST(FontOutlines, BitmapFaceIsNeverTaken)
{
    const std::string scalable = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
    ASSERT_EQ(access(scalable.c_str(), R_OK), 0) << scalable << " (fonts-dejavu-core) is not installed";
    char pattern[] = "/tmp/elka-bitmap-font-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    ASSERT_EQ(mkdir((dir + "/fonts").c_str(), 0755), 0);
    ASSERT_EQ(symlink(scalable.c_str(), (dir + "/fonts/DejaVuSans-Bold.ttf").c_str()), 0);
    std::ofstream(dir + "/typewriter.bdf") << bitmap_typewriter_bdf();
    std::ofstream(dir + "/fonts.conf") << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                                          "<fontconfig><dir>"
                                       << dir << "/fonts</dir><cachedir>" << dir
                                       << "/cache</cachedir></fontconfig>\n";
    OwnFontConfig config(dir + "/fonts.conf");
    ASSERT_TRUE(config.loaded) << dir << "/fonts.conf";

    ASSERT_TRUE(platform_add_font_file((dir + "/typewriter.bdf").c_str()));
    FcPattern* request = FcNameParse(reinterpret_cast<const FcChar8*>("Secret Service Typewriter:weight=200"));
    FcConfigSubstitute(nullptr, request, FcMatchPattern);
    FcDefaultSubstitute(request);
    FcResult result = FcResultNoMatch;
    FcPattern* best = FcFontMatch(nullptr, request, &result);
    ASSERT_NE(best, nullptr);
    FcChar8* best_file = nullptr;
    FcBool best_scalable = FcTrue;
    FcPatternGetString(best, FC_FILE, 0, &best_file);
    FcPatternGetBool(best, FC_SCALABLE, 0, &best_scalable);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(best_file)), dir + "/typewriter.bdf");
    EXPECT_EQ(best_scalable, FcFalse);
    FcPatternDestroy(best);
    FcPatternDestroy(request);

    OutlineFace* face = platform_match_outline_face("Secret Service Typewriter", 700);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(platform_outline_face_family(face), "DejaVu Sans");
    EXPECT_EQ(platform_outline_face_file(face), dir + "/fonts/DejaVuSans-Bold.ttf");
    GlyphOutline a;
    ASSERT_TRUE(platform_glyph_outline(face, 'A', &a));
    EXPECT_GE(a.contour_ends.size(), 2u); // the A's outside and its counter
    EXPECT_GT(a.black_box_y, 0.5f);
    platform_close_outline_face(face);
    std::system(("rm -rf '" + dir + "'").c_str());
}

// A folder or a pipe under the font's name is not registered (fontconfig
// would scan the folder for fonts, and wait for ever on the pipe): font
// matching then falls back as for a missing file.
TEST(FontOutlines, FolderOrPipeIsNoFontFile)
{
    char pattern[] = "/tmp/elka-font-file-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    OutlineFace* face = platform_match_outline_face("Secret Service Typewriter", 700);
    ASSERT_NE(face, nullptr);
    const std::string fallback = platform_outline_face_file(face);
    platform_close_outline_face(face);
    // A folder holding the demo's font: scanned, it would register that font
    // and the match would change to it.
    ASSERT_EQ(mkdir((dir + "/font.ttf").c_str(), 0755), 0);
    ASSERT_EQ(symlink((source_dir() + "/files/font.ttf").c_str(), (dir + "/font.ttf/inside.ttf").c_str()), 0);
    EXPECT_FALSE(platform_add_font_file((dir + "/font.ttf").c_str()));
    face = platform_match_outline_face("Secret Service Typewriter", 700);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(platform_outline_face_file(face), fallback);
    platform_close_outline_face(face);
    {
        PipeGuard pipe(dir + "/pipe.ttf");
        ASSERT_TRUE(pipe.made());
        EXPECT_FALSE(platform_add_font_file((dir + "/pipe.ttf").c_str()));
        EXPECT_FALSE(pipe.had_to_release()) << "registering waited for a writer";
    }
    std::system(("rm -rf '" + dir + "'").c_str());
}
