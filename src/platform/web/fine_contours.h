// A glyph's contours in 1/64 of a font unit, as FreeType works them, and
// FreeType's synthetic bold on them: what the page's font reader needs to
// give the desktop's outlines.
#pragma once

#include <cstdint>
#include <vector>

// Points in 1/64 of a font unit, as FreeType works them.
struct FinePoint {
    std::int64_t x, y;
};

enum : int { tag_conic = 0, tag_on = 1, tag_cubic = 2 };

struct Contours {
    std::vector<FinePoint> points;
    std::vector<int> tags;
    std::vector<int> last; // index of each contour's last point
};

// Synthetic bold as FreeType makes it (FT_Outline_EmboldenXY), by
// `strength` 1/64 units.
void embolden_contours(Contours* c, std::int64_t strength);
