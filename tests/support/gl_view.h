// A flat view for reading geometry back through GL feedback: an orthographic
// projection over a square of the given half side and depth, on a square
// viewport at a whole number of pixels per unit, with the modelview matrix
// at the identity. Window coordinates then map back to eye units exactly.
#pragma once

#include <gtest/gtest.h>

struct FlatView {
    double half_side;
    double pixels_per_unit;
    // The eye-space x or y of a window coordinate.
    double unit(double window) const { return window / pixels_per_unit - half_side; }
};

FlatView set_flat_view(double half_side, double half_depth, int pixels_per_unit);

// Whether the current viewport is width x height (where it starts is the
// window's business); says what it is when not.
::testing::AssertionResult viewport_is(int width, int height);
