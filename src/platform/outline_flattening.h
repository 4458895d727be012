// What every reader of glyph outlines shares: the Windows-1252 code page
// the ANSI character codes are read in, and the flattening of a glyph's
// lines and curves into the polylines of a GlyphOutline, so that the
// desktop's FreeType reader and the page's reader give the same contours.
#pragma once

#include "platform/font_outlines.h"

// The Unicode code point of an ANSI character code (the five codes the
// code page leaves undefined map to the C1 control of the same number).
unsigned outline_ansi_to_unicode(unsigned char code);

// Collects an outline as polylines, in whatever units the segments come
// in, flattening each curve into equal parameter steps, as many as keep
// the chord within `tolerance` of the curve (the error of a chord over a
// parameter step h is at most max|B''| h^2 / 8).
struct Flattener {
    GlyphOutline* out;
    double tolerance;
    double x = 0.0, y = 0.0; // current point
    int contour_start = 0;

    void move_to(double to_x, double to_y);
    void line_to(double to_x, double to_y);
    void conic_to(double control_x, double control_y, double to_x, double to_y);
    void cubic_to(double c1_x, double c1_y, double c2_x, double c2_y, double to_x, double to_y);
    // Closes the last contour and turns the outline into em units, `units`
    // to the em: the points, the black box and its upper-left corner.
    void finish(double units);

    void add(double px, double py);
    void close_contour();
    int steps(double second_derivative_bound) const;
};
