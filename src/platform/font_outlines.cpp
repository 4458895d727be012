// Font registration and face matching with fontconfig, glyph outlines with
// FreeType: the stand-in for registering a font file, creating a font by
// face name and reading its glyphs' outlines.
#include "platform/font_outlines.h"

#include "platform/media_files.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <climits>
#include <cmath>
#include <cstdlib>
#include <set>

namespace {

bool fontconfig_ready()
{
    static bool ready = FcInit() == FcTrue;
    return ready;
}

// The files added so far, by absolute name.
std::set<std::string> added_font_files;

// Windows-1252 0x80..0x9F; 0 marks the five codes the code page leaves out.
const unsigned short cp1252_high[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Collects a FreeType outline as polylines in font units, flattening each
// curve into equal parameter steps, as many as keep the chord within
// `tolerance` of the curve (the error of a chord over a parameter step h
// is at most max|B''| h^2 / 8).
struct Flattener {
    GlyphOutline* out;
    double tolerance;
    double x = 0.0, y = 0.0; // current point
    int contour_start = 0;

    void add(double px, double py)
    {
        if (static_cast<int>(out->points.size()) > contour_start) {
            const OutlinePoint& last = out->points.back();
            if (last.x == px && last.y == py)
                return;
        }
        out->points.push_back({px, py});
    }
    void close_contour()
    {
        int end = static_cast<int>(out->points.size());
        if (end - contour_start >= 2) {
            const OutlinePoint& first = out->points[contour_start];
            const OutlinePoint& last = out->points.back();
            if (first.x == last.x && first.y == last.y) {
                out->points.pop_back();
                --end;
            }
        }
        if (end - contour_start < 3) { // no area: nothing to fill
            out->points.resize(contour_start);
            return;
        }
        out->contour_ends.push_back(end);
        contour_start = end;
    }
    int steps(double second_derivative_bound) const
    {
        double n = std::ceil(std::sqrt(second_derivative_bound / (8.0 * tolerance)));
        if (!(n >= 1.0))
            return 1;
        return n > 1000.0 ? 1000 : static_cast<int>(n);
    }
};

Flattener* flattener(void* user) { return static_cast<Flattener*>(user); }

int move_to(const FT_Vector* to, void* user)
{
    Flattener* f = flattener(user);
    f->close_contour();
    f->x = to->x;
    f->y = to->y;
    f->add(f->x, f->y);
    return 0;
}

int line_to(const FT_Vector* to, void* user)
{
    Flattener* f = flattener(user);
    f->x = to->x;
    f->y = to->y;
    f->add(f->x, f->y);
    return 0;
}

int conic_to(const FT_Vector* control, const FT_Vector* to, void* user)
{
    Flattener* f = flattener(user);
    double x0 = f->x, y0 = f->y;
    double x1 = control->x, y1 = control->y;
    double x2 = to->x, y2 = to->y;
    // B'' = 2 (P0 - 2 P1 + P2), constant along the curve.
    double bound = 2.0 * std::hypot(x0 - 2.0 * x1 + x2, y0 - 2.0 * y1 + y2);
    int n = f->steps(bound);
    for (int i = 1; i <= n; ++i) {
        double t = static_cast<double>(i) / n, u = 1.0 - t;
        f->add(u * u * x0 + 2.0 * u * t * x1 + t * t * x2, u * u * y0 + 2.0 * u * t * y1 + t * t * y2);
    }
    f->x = x2;
    f->y = y2;
    return 0;
}

int cubic_to(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user)
{
    Flattener* f = flattener(user);
    double x0 = f->x, y0 = f->y;
    double x1 = c1->x, y1 = c1->y, x2 = c2->x, y2 = c2->y;
    double x3 = to->x, y3 = to->y;
    // B'' runs linearly between 6 (P0 - 2 P1 + P2) and 6 (P1 - 2 P2 + P3).
    double a = std::hypot(x0 - 2.0 * x1 + x2, y0 - 2.0 * y1 + y2);
    double b = std::hypot(x1 - 2.0 * x2 + x3, y1 - 2.0 * y2 + y3);
    int n = f->steps(6.0 * (a > b ? a : b));
    for (int i = 1; i <= n; ++i) {
        double t = static_cast<double>(i) / n, u = 1.0 - t;
        double w0 = u * u * u, w1 = 3.0 * u * u * t, w2 = 3.0 * u * t * t, w3 = t * t * t;
        f->add(w0 * x0 + w1 * x1 + w2 * x2 + w3 * x3, w0 * y0 + w1 * y1 + w2 * y2 + w3 * y3);
    }
    f->x = x3;
    f->y = y3;
    return 0;
}

} // namespace

struct OutlineFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    std::string family;
    std::string file;
    bool embolden = false;
    bool symbol_map = false; // a symbol font: ANSI codes live at U+F000 + code
};

bool platform_add_font_file(const char* path)
{
    if (!path || !fontconfig_ready())
        return false;
    // Only a regular file: fontconfig would scan a folder for fonts and
    // wait for ever on a pipe.
    if (!platform_media_file_opens(path))
        return false;
    // Registered by absolute name, so the face stays found if the working
    // directory changes, and once only.
    char* absolute = realpath(path, nullptr);
    if (!absolute)
        return false;
    std::string name = absolute;
    std::free(absolute);
    if (added_font_files.count(name))
        return true;
    if (FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(name.c_str())) != FcTrue)
        return false;
    added_font_files.insert(name);
    return true;
}

void platform_forget_font_files()
{
    if (added_font_files.empty())
        return;
    FcConfigAppFontClear(nullptr);
    added_font_files.clear();
}

namespace {

// The face of one font of the match list, opened with FreeType, or null
// when it is no scalable outline face (a bitmap face has no outlines to
// fill: every text would draw nothing).
OutlineFace* open_scalable_face(FcPattern* match, int wanted_weight)
{
    FcBool scalable = FcFalse;
    if (FcPatternGetBool(match, FC_SCALABLE, 0, &scalable) != FcResultMatch || scalable != FcTrue)
        return nullptr;
    OutlineFace* face = new OutlineFace;
    FcChar8* file = nullptr;
    FcChar8* matched_family = nullptr;
    int index = 0;
    FcBool embolden = FcFalse;
    int matched_weight = FC_WEIGHT_REGULAR;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
        face->file = reinterpret_cast<const char*>(file);
    if (FcPatternGetString(match, FC_FAMILY, 0, &matched_family) == FcResultMatch)
        face->family = reinterpret_cast<const char*>(matched_family);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    if (FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden) == FcResultMatch) {
        face->embolden = embolden == FcTrue;
    } else if (FcPatternGetInteger(match, FC_WEIGHT, 0, &matched_weight) == FcResultMatch) {
        // Without the configuration's answer: embolden what is lighter than
        // demibold when bold was asked.
        face->embolden = wanted_weight >= FC_WEIGHT_BOLD && matched_weight < FC_WEIGHT_DEMIBOLD;
    }
    if (face->file.empty() || FT_Init_FreeType(&face->library) != 0) {
        delete face;
        return nullptr;
    }
    if (FT_New_Face(face->library, face->file.c_str(), index, &face->face) != 0 || !FT_IS_SCALABLE(face->face) ||
        face->face->units_per_EM == 0) {
        if (face->face)
            FT_Done_Face(face->face);
        FT_Done_FreeType(face->library);
        delete face;
        return nullptr;
    }
    if (FT_Select_Charmap(face->face, FT_ENCODING_UNICODE) != 0 &&
        FT_Select_Charmap(face->face, FT_ENCODING_MS_SYMBOL) == 0)
        face->symbol_map = true;
    return face;
}

} // namespace

OutlineFace* platform_match_outline_face(const char* family, int weight)
{
    if (!fontconfig_ready())
        return nullptr;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return nullptr;
    if (family)
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    int wanted_weight = FcWeightFromOpenType(weight);
    FcPatternAddInteger(pattern, FC_WEIGHT, wanted_weight);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    // The whole list in match order: the best face is taken when it is a
    // scalable outline face, else the next one that is.
    FcResult result = FcResultNoMatch;
    FcFontSet* sorted = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
    OutlineFace* face = nullptr;
    for (int i = 0; sorted && i < sorted->nfont && !face; ++i) {
        FcPattern* match = FcFontRenderPrepare(nullptr, pattern, sorted->fonts[i]);
        if (!match)
            continue;
        face = open_scalable_face(match, wanted_weight);
        FcPatternDestroy(match);
    }
    if (sorted)
        FcFontSetDestroy(sorted);
    FcPatternDestroy(pattern);
    return face;
}

void platform_close_outline_face(OutlineFace* face)
{
    if (!face)
        return;
    FT_Done_Face(face->face);
    FT_Done_FreeType(face->library);
    delete face;
}

std::string platform_outline_face_family(const OutlineFace* face) { return face ? face->family : ""; }
std::string platform_outline_face_file(const OutlineFace* face) { return face ? face->file : ""; }
bool platform_outline_face_emboldened(const OutlineFace* face) { return face && face->embolden; }

unsigned platform_ansi_to_unicode(unsigned char code)
{
    if (code >= 0x80 && code <= 0x9F && cp1252_high[code - 0x80] != 0)
        return cp1252_high[code - 0x80];
    return code;
}

bool platform_glyph_outline(OutlineFace* face, unsigned char code, GlyphOutline* out)
{
    if (!face || !out)
        return false;
    *out = GlyphOutline();
    FT_Face ft = face->face;
    double units = ft->units_per_EM;
    if (!(units > 0.0))
        return false; // not an outline font

    FT_ULong character = face->symbol_map ? 0xF000u + code : platform_ansi_to_unicode(code);
    FT_UInt glyph = FT_Get_Char_Index(ft, character); // 0: the missing glyph
    // Design units, unhinted.
    if (FT_Load_Glyph(ft, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
        return false;
    FT_GlyphSlot slot = ft->glyph;
    out->advance_x = static_cast<float>(slot->metrics.horiAdvance / units);
    out->advance_y = 0.0f;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE)
        return true;

    // FreeType works the outline in integers (the points between two
    // off-curve points are halved and truncated): give it 1/64 of a design
    // unit to work in.
    const FT_Pos fine_scale = 64;
    const double fine = static_cast<double>(fine_scale);
    FT_Outline* outline = &slot->outline;
    for (int i = 0; i < outline->n_points; ++i) {
        outline->points[i].x *= fine_scale;
        outline->points[i].y *= fine_scale;
    }
    if (face->embolden) {
        // The strength FreeType's own synthetic bold uses: 1/24 em. The
        // advance stays the face's own, so the typewriter keeps its pitch.
        FT_Pos strength = static_cast<FT_Pos>(std::lround(units * fine / 24.0));
        FT_Outline_EmboldenXY(outline, strength, strength);
    }

    Flattener flat{out, fine}; // chords within one design unit
    FT_Outline_Funcs funcs{};
    funcs.move_to = move_to;
    funcs.line_to = line_to;
    funcs.conic_to = conic_to;
    funcs.cubic_to = cubic_to;
    if (FT_Outline_Decompose(outline, &funcs, &flat) != 0) {
        out->points.clear();
        out->contour_ends.clear();
        return false;
    }
    flat.close_contour();
    out->points.resize(flat.contour_start);

    if (out->points.empty())
        return true;
    double x_min = out->points[0].x, x_max = x_min, y_min = out->points[0].y, y_max = y_min;
    for (OutlinePoint& p : out->points) {
        x_min = std::fmin(x_min, p.x);
        x_max = std::fmax(x_max, p.x);
        y_min = std::fmin(y_min, p.y);
        y_max = std::fmax(y_max, p.y);
        p.x /= units * fine;
        p.y /= units * fine;
    }
    out->black_box_x = static_cast<float>((x_max - x_min) / (units * fine));
    out->black_box_y = static_cast<float>((y_max - y_min) / (units * fine));
    out->origin_x = static_cast<float>(x_min / (units * fine));
    out->origin_y = static_cast<float>(y_max / (units * fine));
    return true;
}
