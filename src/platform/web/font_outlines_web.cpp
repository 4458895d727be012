// Font registration, face matching and glyph outlines on the page: the
// added font files are the only faces; opentype.js reads them
// (font_library.js) and the outlines are decomposed, emboldened and
// flattened (in contours_in_64ths.cpp, which Windows shares) as the desktop's
// FreeType reader has them, so the two give the same contours.
#include "platform/backend.h"
#include "platform/contours_in_64ths.h"
#include "platform/media_files.h"
#include "platform/outline_flattening.h"
#include "platform/web/outline_face_web.h"
#include "platform/web/web_backend.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

extern "C" {
int elka_font_parse(const unsigned char* bytes, std::size_t size);
void elka_font_release(int id);
int elka_font_name(int id, int which, char* buffer, int size);
void elka_font_info(int id, int* weight, int* units, int* symbol);
int elka_font_glyph_index(int id, unsigned character);
int elka_font_load_glyph(int id, int index, int* counts);
void elka_font_copy_glyph(double* points, int* ends);
}

namespace {

// Building the font's 255 glyphs is the longest stretch of the page's
// start-up; between glyphs the browser gets its turn every few
// milliseconds, so the page keeps answering (and a phone's browser does not
// count it as blocked) while the demo loads. Only where the page hosts the
// demo: the font tools under node have no page to give a turn to.
constexpr double turn_every_ms = 8.0;

void take_turn_when_due()
{
    if (!web_backend.take_turn || emscripten_get_now() - web_backend.turn_taken_at < turn_every_ms)
        return;
    web_backend.take_turn();
    web_backend.turn_taken_at = emscripten_get_now();
}

std::string font_name(int id, int which)
{
    char name[256];
    int length = elka_font_name(id, which, name, sizeof name);
    return std::string(name, static_cast<std::size_t>(std::max(length, 0)));
}

bool same_name(const std::string& a, const char* b)
{
    if (a.empty() || a.size() != std::strlen(b))
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (std::tolower(x) != std::tolower(y))
            return false;
    }
    return true;
}

} // namespace

PageFont::~PageFont() { elka_font_release(id); }

bool backend_font_file(const char* name)
{
    if (!name) {
        web_backend.fonts.clear();
        return true;
    }
    std::size_t size = 0;
    unsigned char* bytes = platform_read_media_file(name, &size);
    if (!bytes)
        return false;
    int id = elka_font_parse(bytes, size);
    platform_free_media_file(bytes);
    if (id == 0)
        return false;
    auto font = std::make_shared<PageFont>();
    font->id = id;
    font->file = name;
    font->family = font_name(id, 0);
    font->typographic_family = font_name(id, 1);
    font->full_name = font_name(id, 2);
    int symbol = 0;
    elka_font_info(id, &font->weight, &font->units, &symbol);
    font->symbol = symbol != 0;
    web_backend.fonts.push_back(font);
    return true;
}

BackendFace* backend_face_match(const char* family, int weight, OutlineFace* facts)
{
    // The faces of that family, or every face when it has none; of those
    // the one nearest the weight (the first added of equals).
    std::vector<std::shared_ptr<PageFont>> named;
    const auto& added_fonts = web_backend.fonts;
    for (const auto& font : added_fonts)
        if (family
            && (same_name(font->family, family) || same_name(font->typographic_family, family)
                || same_name(font->full_name, family)))
            named.push_back(font);
    const auto& candidates = named.empty() ? added_fonts : named;
    std::shared_ptr<PageFont> best;
    for (const auto& font : candidates)
        if (!best || std::abs(font->weight - weight) < std::abs(best->weight - weight))
            best = font;
    if (!best)
        return nullptr;
    facts->family = best->family;
    facts->file = best->file;
    facts->symbol = best->symbol;
    // Bold asked of a face lighter than demibold is made by emboldening.
    facts->embolden = weight >= 700 && best->weight < 600;
    return new BackendFace{best};
}

void backend_face_close(BackendFace* face) { delete face; }

bool backend_glyph_outline(const OutlineFace& face, unsigned character, GlyphOutline* out)
{
    take_turn_when_due();
    const PageFont& font = *face.backend->font;
    double units = font.units;
    if (!(units > 0.0))
        return false;

    int glyph = elka_font_glyph_index(font.id, character); // 0: the missing glyph
    int counts[4] = {};
    if (!elka_font_load_glyph(font.id, glyph, counts))
        return false;
    out->advance_x = static_cast<float>(counts[2] / units);
    out->advance_y = 0.0f;
    int point_count = counts[0], contour_count = counts[1];
    if (point_count == 0 || contour_count == 0)
        return true;
    std::vector<double> raw(static_cast<std::size_t>(point_count) * 3);
    Contours contours;
    contours.last.resize(contour_count);
    elka_font_copy_glyph(raw.data(), contours.last.data());

    // 1/64 of a design unit, as the desktop gives FreeType to work in.
    const std::int64_t fine_scale = 64;
    const double fine = static_cast<double>(fine_scale);
    contours.points.resize(point_count);
    contours.tags.resize(point_count);
    for (int i = 0; i < point_count; ++i) {
        contours.points[i] = {std::llround((raw[i * 3] + counts[3]) * fine), std::llround(raw[i * 3 + 1] * fine)};
        contours.tags[i] = static_cast<int>(raw[i * 3 + 2]);
    }
    return outline_from_contours(&contours, face.embolden, units, out);
}
