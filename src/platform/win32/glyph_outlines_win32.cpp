// Glyph outlines from GDI: the glyph's native outline, unhinted, at one em
// tall with the identity matrix, so that its points are design units; read
// back into TrueType's points and flags, emboldened and walked as the page
// does (contours_in_64ths.cpp), so that they give the desktop's contours.
#include "platform/win32/win32.h"

#include "platform/backend.h"
#include "platform/contours_in_64ths.h"
#include "platform/outline_flattening.h"
#include "platform/win32/outline_face_win32.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// A 16.16 coordinate in 1/64 of a design unit. Wine fills the fraction's
// low bits with copies of its high ones, so this truncates, not rounds.
std::int64_t fine(FIXED f) { return (static_cast<std::int64_t>(f.value) * 65536 + f.fract) >> 10; }

void add_point(Contours* c, const POINTFX& p, int tag)
{
    c->points.push_back({fine(p.x), fine(p.y)});
    c->tags.push_back(tag);
}

// The polygons of a GGO_NATIVE buffer as TrueType points: each starts on
// the curve; a line's points are on it; a quadratic spline's are controls
// but its last; a cubic spline's come in threes, two controls and the end.
// False on a buffer that does not parse.
bool read_polygons(const std::vector<unsigned char>& data, Contours* c)
{
    const std::size_t size = data.size();
    const std::size_t curve_head = offsetof(TTPOLYCURVE, apfx);
    std::size_t at = 0;
    while (at < size) {
        TTPOLYGONHEADER header;
        if (size - at < sizeof header)
            return false;
        std::memcpy(&header, data.data() + at, sizeof header);
        if (header.dwType != TT_POLYGON_TYPE || header.cb < sizeof header || header.cb > size - at)
            return false;
        const std::size_t end = at + header.cb;
        add_point(c, header.pfxStart, tag_on);
        for (std::size_t p = at + sizeof header; p < end;) {
            WORD type = 0, count = 0;
            if (end - p < curve_head)
                return false;
            std::memcpy(&type, data.data() + p, sizeof type);
            std::memcpy(&count, data.data() + p + sizeof type, sizeof count);
            const std::size_t bytes = curve_head + count * sizeof(POINTFX);
            if (count == 0 || bytes > end - p || (type == TT_PRIM_CSPLINE && count % 3 != 0))
                return false;
            for (WORD i = 0; i < count; ++i) {
                POINTFX point;
                std::memcpy(&point, data.data() + p + curve_head + i * sizeof(POINTFX), sizeof point);
                int tag = tag_on;
                if (type == TT_PRIM_QSPLINE)
                    tag = i + 1 < count ? tag_conic : tag_on;
                else if (type == TT_PRIM_CSPLINE)
                    tag = i % 3 < 2 ? tag_cubic : tag_on;
                else if (type != TT_PRIM_LINE)
                    return false;
                add_point(c, point, tag);
            }
            p += bytes;
        }
        c->last.push_back(static_cast<int>(c->points.size()) - 1);
        at = end;
    }
    return true;
}

} // namespace

bool backend_glyph_outline(const OutlineFace& face, unsigned code_point, GlyphOutline* out)
{
    const BackendFace& gdi = *face.backend;
    const double units = gdi.units;
    if (!(units > 0.0))
        return false;

    WCHAR character = static_cast<WCHAR>(code_point);
    WORD glyph = 0;
    if (GetGlyphIndicesW(gdi.dc, &character, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR || glyph == 0xFFFF)
        glyph = 0; // the missing glyph
    const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    GLYPHMETRICS metrics{};
    const UINT by_index = GGO_GLYPH_INDEX | GGO_UNHINTED;
    if (GetGlyphOutlineW(gdi.dc, glyph, GGO_METRICS | by_index, &metrics, 0, nullptr, &identity) == GDI_ERROR)
        return false;
    out->advance_x = static_cast<float>(metrics.gmCellIncX / units);
    out->advance_y = 0.0f;

    const DWORD size = GetGlyphOutlineW(gdi.dc, glyph, GGO_NATIVE | by_index, &metrics, 0, nullptr, &identity);
    if (size == GDI_ERROR)
        return false;
    if (size == 0)
        return true; // a blank
    std::vector<unsigned char> data(size);
    if (GetGlyphOutlineW(gdi.dc, glyph, GGO_NATIVE | by_index, &metrics, size, data.data(), &identity) == GDI_ERROR)
        return false;
    Contours contours;
    if (!read_polygons(data, &contours))
        return false;

    return outline_from_contours(&contours, face.embolden, units, out);
}
