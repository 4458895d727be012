// The glyph outlines of the face that matches a family and weight once a
// font file is added, all 255 of them, as text: built natively on the
// desktop's reader (fontconfig and FreeType) and for node on the page's
// (opentype.js), so that the two can be compared.
#include "platform/font_outlines.h"
#include "platform/host.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FAMILY WEIGHT [FONT_FILE]\n", argv[0]);
        return 2;
    }
    if (!platform_add_font_file(argc > 3 ? argv[3] : "files/font.ttf"))
        std::fprintf(stderr, "the font file was not added\n");
    OutlineFace* face = platform_match_outline_face(argv[1], std::atoi(argv[2]));
    if (!face)
        return 1;
    std::printf("face %s emboldened %d\n", platform_outline_face_family(face).c_str(),
                platform_outline_face_emboldened(face) ? 1 : 0);
    GlyphOutline glyph;
    for (int code = 0; code < 255; ++code) {
        if (!platform_glyph_outline(face, static_cast<unsigned char>(code), &glyph)) {
            std::printf("glyph %d failed\n", code);
            continue;
        }
        std::printf("glyph %d %zu %zu %.9g %.9g %.9g %.9g %.9g %.9g\n", code, glyph.contour_ends.size(),
                    glyph.points.size(), glyph.black_box_x, glyph.black_box_y, glyph.origin_x, glyph.origin_y,
                    glyph.advance_x, glyph.advance_y);
        for (int end : glyph.contour_ends)
            std::printf("end %d\n", end);
        for (const OutlinePoint& p : glyph.points)
            std::printf("%.17g %.17g\n", p.x, p.y);
    }
    platform_close_outline_face(face);
    return 0;
}
