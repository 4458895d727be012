// Caption text with fontconfig and FreeType: the installed face fontconfig
// matches for "monospace", rendered with FreeType's light hinting (crisp
// rows, unchanged shapes) into 8-bit coverage and blended over RGB pixels.
#include "caption_font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>

struct CaptionFont {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    std::string family;
    std::string file;
    int ascent = 0;
};

namespace {

const FT_Int32 load_flags = FT_LOAD_TARGET_LIGHT;

// The next code point of UTF-8 `text` from `*at`; a byte that starts no
// valid sequence reads as U+FFFD.
unsigned next_code_point(const std::string& text, std::size_t* at)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned first = byte((*at)++);
    if (first < 0x80)
        return first;
    int more = first >= 0xF0 && first < 0xF8 ? 3 : first >= 0xE0 ? 2 : first >= 0xC2 && first < 0xE0 ? 1 : -1;
    if (more < 0 || *at + more > text.size())
        return 0xFFFD;
    unsigned code = first & (0x3F >> more);
    for (int i = 0; i < more; ++i) {
        unsigned next = byte(*at + i);
        if ((next & 0xC0) != 0x80)
            return 0xFFFD;
        code = (code << 6) | (next & 0x3F);
    }
    *at += more;
    return code;
}

// The advance of the glyph just loaded, in whole pixels.
int whole_advance(FT_GlyphSlot slot) { return static_cast<int>((slot->advance.x + 32) >> 6); }

} // namespace

CaptionFont* caption_font_open(int pixel_size, std::string* error)
{
    auto fail = [&](const std::string& why) -> CaptionFont* {
        if (error)
            *error = why;
        return nullptr;
    };
    if (pixel_size < 1)
        return fail("a caption font needs a size of at least one pixel");
    if (FcInit() != FcTrue)
        return fail("fontconfig cannot start, so no font for the captions can be found");

    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return fail("out of memory while looking for a font for the captions");
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("monospace"));
    FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
    FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    // The system's fonts only: not the files this process added itself.
    FcFontSet* sets[1] = {FcConfigGetFonts(nullptr, FcSetSystem)};
    FcResult result = FcResultNoMatch;
    FcPattern* match = sets[0] ? FcFontSetMatch(nullptr, sets, 1, pattern, &result) : nullptr;
    FcPatternDestroy(pattern);
    if (!match)
        return fail("no installed font for the captions (fontconfig knows none; the Debian package "
                    "fonts-dejavu-core has one)");

    CaptionFont* font = new CaptionFont;
    FcChar8* file = nullptr;
    FcChar8* family = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
        font->file = reinterpret_cast<const char*>(file);
    if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch)
        font->family = reinterpret_cast<const char*>(family);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternDestroy(match);

    std::string why;
    if (font->file.empty())
        why = "fontconfig names no file for the caption font";
    else if (FT_Init_FreeType(&font->library) != 0)
        why = "FreeType cannot start";
    else if (FT_New_Face(font->library, font->file.c_str(), index, &font->face) != 0)
        why = "cannot open the caption font " + font->file;
    else if (!FT_IS_SCALABLE(font->face) || FT_Set_Pixel_Sizes(font->face, 0, static_cast<FT_UInt>(pixel_size)) != 0)
        why = "the caption font " + font->file + " cannot be drawn at " + std::to_string(pixel_size) + " pixels";
    if (!why.empty()) {
        caption_font_close(font);
        return fail(why);
    }
    FT_Select_Charmap(font->face, FT_ENCODING_UNICODE);
    font->ascent = static_cast<int>(
        std::lround(static_cast<double>(font->face->ascender) * pixel_size / font->face->units_per_EM));
    return font;
}

void caption_font_close(CaptionFont* font)
{
    if (!font)
        return;
    if (font->face)
        FT_Done_Face(font->face);
    if (font->library)
        FT_Done_FreeType(font->library);
    delete font;
}

std::string caption_font_family(const CaptionFont* font) { return font ? font->family : ""; }
std::string caption_font_file(const CaptionFont* font) { return font ? font->file : ""; }
int caption_ascent(const CaptionFont* font) { return font ? font->ascent : 0; }

int caption_text_width(CaptionFont* font, const std::string& text)
{
    if (!font)
        return 0;
    int width = 0;
    for (std::size_t at = 0; at < text.size();) {
        if (FT_Load_Char(font->face, next_code_point(text, &at), load_flags) == 0)
            width += whole_advance(font->face->glyph);
    }
    return width;
}

void caption_draw(CaptionFont* font, CaptionCanvas canvas, int x, int top, const std::string& text,
                           const std::uint8_t colour[3])
{
    if (!font || !canvas.pixels)
        return;
    const int baseline = top + font->ascent;
    int pen = x;
    for (std::size_t at = 0; at < text.size();) {
        if (FT_Load_Char(font->face, next_code_point(text, &at), load_flags | FT_LOAD_RENDER) != 0)
            continue;
        FT_GlyphSlot slot = font->face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.num_grays == 256) {
            for (unsigned row = 0; row < bitmap.rows; ++row) {
                int py = baseline - slot->bitmap_top + static_cast<int>(row);
                if (py < 0 || py >= canvas.height)
                    continue;
                const unsigned char* coverage = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
                for (unsigned column = 0; column < bitmap.width; ++column) {
                    int px = pen + slot->bitmap_left + static_cast<int>(column);
                    unsigned a = coverage[column];
                    if (a == 0 || px < 0 || px >= canvas.width)
                        continue;
                    std::uint8_t* p = canvas.pixels + (static_cast<std::size_t>(py) * canvas.width + px) * 3;
                    for (int c = 0; c < 3; ++c)
                        p[c] = static_cast<std::uint8_t>((p[c] * (255 - a) + colour[c] * a + 127) / 255);
                }
            }
        }
        pen += whole_advance(slot);
    }
}
