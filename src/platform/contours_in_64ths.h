// A glyph's contours in 1/64 of a font unit, as FreeType works them, and
// FreeType's synthetic bold on them: what the page's and Windows' font
// readers need to give the desktop's outlines.
#pragma once

#include <cstdint>
#include <vector>

struct Flattener;
struct GlyphOutline;

// Points in 1/64 of a font unit, as FreeType works them.
struct PointIn64ths {
    std::int64_t x, y;
};

enum : int { tag_conic = 0, tag_on = 1, tag_cubic = 2 };

struct Contours {
    std::vector<PointIn64ths> points;
    std::vector<int> tags;
    std::vector<int> last; // index of each contour's last point
};

// Synthetic bold as FreeType makes it (FT_Outline_EmboldenXY), by
// `strength` 1/64 units.
void embolden_contours(Contours* c, std::int64_t strength);

// Walks the contours as TrueType defines them (two controls in a row imply
// the on-curve point halfway, truncated to the grid as FreeType does),
// into the flattener. False on a malformed contour.
bool decompose_contours(const Contours& c, Flattener* flat);

// A glyph's contours (at 64 to the font unit, `units` to the em) into its
// outline in em units: emboldened first where asked, by FreeType's 1/24 em
// (the advance stays the face's own, so the typewriter keeps its pitch),
// then walked and flattened with chords within one design unit. False on
// a malformed contour, with no points left in the outline.
bool outline_from_contours(Contours* c, bool embolden, double units, GlyphOutline* out);

