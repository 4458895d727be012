// Where a drawable of one size is shown on an output of another: the
// largest rectangle of the drawable's aspect ratio that fits the output,
// centred, with black bars at the sides of a wider output or above and
// below a taller one. The presenter scales the drawable into it.
#pragma once

struct PresentRect {
    int x = 0; // from the output's left edge
    int y = 0; // from the output's top edge
    int width = 0;
    int height = 0;
};

// Empty (all 0) when either size has no area.
PresentRect letterbox(int drawable_width, int drawable_height, int output_width, int output_height);
