// Font registration and face matching with fontconfig, glyph outlines with
// FreeType: the stand-in for registering a font file, creating a font by
// face name and reading its glyphs' outlines.
#include "platform/backend.h"
#include "platform/outline_flattening.h"
#include "platform/sdl/sdl_backend.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <climits>
#include <cmath>

namespace {

bool fontconfig_ready()
{
    if (!sdl_backend.fontconfig_started) {
        sdl_backend.fontconfig_ready = FcInit() == FcTrue;
        sdl_backend.fontconfig_started = true;
    }
    return sdl_backend.fontconfig_ready;
}

Flattener* flattener(void* user) { return static_cast<Flattener*>(user); }

int move_to(const FT_Vector* to, void* user)
{
    flattener(user)->move_to(to->x, to->y);
    return 0;
}

int line_to(const FT_Vector* to, void* user)
{
    flattener(user)->line_to(to->x, to->y);
    return 0;
}

int conic_to(const FT_Vector* control, const FT_Vector* to, void* user)
{
    flattener(user)->conic_to(control->x, control->y, to->x, to->y);
    return 0;
}

int cubic_to(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user)
{
    flattener(user)->cubic_to(c1->x, c1->y, c2->x, c2->y, to->x, to->y);
    return 0;
}

} // namespace

struct BackendFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

bool backend_font_file(const char* name)
{
    if (!fontconfig_ready())
        return false;
    if (!name) {
        FcConfigAppFontClear(nullptr);
        return true;
    }
    return FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(name)) == FcTrue;
}

namespace {

// The face of one font of the match list, opened with FreeType, or null
// when it is no scalable outline face (a bitmap face has no outlines to
// fill: every text would draw nothing).
BackendFace* open_scalable_face(FcPattern* match, int wanted_weight, OutlineFace* facts)
{
    FcBool scalable = FcFalse;
    if (FcPatternGetBool(match, FC_SCALABLE, 0, &scalable) != FcResultMatch || scalable != FcTrue)
        return nullptr;
    OutlineFace matched;
    BackendFace* face = new BackendFace;
    FcChar8* file = nullptr;
    FcChar8* matched_family = nullptr;
    int index = 0;
    FcBool embolden = FcFalse;
    int matched_weight = FC_WEIGHT_REGULAR;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
        matched.file = reinterpret_cast<const char*>(file);
    if (FcPatternGetString(match, FC_FAMILY, 0, &matched_family) == FcResultMatch)
        matched.family = reinterpret_cast<const char*>(matched_family);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    if (FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden) == FcResultMatch) {
        matched.embolden = embolden == FcTrue;
    } else if (FcPatternGetInteger(match, FC_WEIGHT, 0, &matched_weight) == FcResultMatch) {
        // Without the configuration's answer: embolden what is lighter than
        // demibold when bold was asked.
        matched.embolden = wanted_weight >= FC_WEIGHT_BOLD && matched_weight < FC_WEIGHT_DEMIBOLD;
    }
    if (matched.file.empty() || FT_Init_FreeType(&face->library) != 0) {
        delete face;
        return nullptr;
    }
    if (FT_New_Face(face->library, matched.file.c_str(), index, &face->face) != 0 || !FT_IS_SCALABLE(face->face)
        || face->face->units_per_EM == 0) {
        if (face->face)
            FT_Done_Face(face->face);
        FT_Done_FreeType(face->library);
        delete face;
        return nullptr;
    }
    if (FT_Select_Charmap(face->face, FT_ENCODING_UNICODE) != 0
        && FT_Select_Charmap(face->face, FT_ENCODING_MS_SYMBOL) == 0)
        matched.symbol = true;
    *facts = matched;
    return face;
}

} // namespace

BackendFace* backend_face_match(const char* family, int weight, OutlineFace* facts)
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
    BackendFace* face = nullptr;
    for (int i = 0; sorted && i < sorted->nfont && !face; ++i) {
        FcPattern* match = FcFontRenderPrepare(nullptr, pattern, sorted->fonts[i]);
        if (!match)
            continue;
        face = open_scalable_face(match, wanted_weight, facts);
        FcPatternDestroy(match);
    }
    if (sorted)
        FcFontSetDestroy(sorted);
    FcPatternDestroy(pattern);
    return face;
}

void backend_face_close(BackendFace* face)
{
    FT_Done_Face(face->face);
    FT_Done_FreeType(face->library);
    delete face;
}

bool backend_glyph_outline(const OutlineFace& face, unsigned character, GlyphOutline* out)
{
    FT_Face ft = face.backend->face;
    double units = ft->units_per_EM;
    if (!(units > 0.0))
        return false; // not an outline font

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
    if (face.embolden) {
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
    flat.finish(units * fine);
    return true;
}
