// The letterbox arithmetic, in 64-bit integers so that no size of any
// monitor overflows and the same sizes always give the same pixels.
#include "present/letterbox.h"

#include <cstdint>

PresentRect letterbox(int drawable_width, int drawable_height, int output_width, int output_height)
{
    PresentRect r;
    if (drawable_width <= 0 || drawable_height <= 0 || output_width <= 0 || output_height <= 0)
        return r;
    const std::int64_t dw = drawable_width, dh = drawable_height;
    const std::int64_t ow = output_width, oh = output_height;
    // Full height if the width that gives fits, else full width; the other
    // side is rounded to the nearest pixel and never exceeds the output.
    if (ow * dh >= oh * dw) {
        r.height = output_height;
        std::int64_t w = (oh * dw * 2 + dh) / (dh * 2);
        r.width = static_cast<int>(w < 1 ? 1 : (w > ow ? ow : w));
    } else {
        r.width = output_width;
        std::int64_t h = (ow * dh * 2 + dw) / (dw * 2);
        r.height = static_cast<int>(h < 1 ? 1 : (h > oh ? oh : h));
    }
    r.x = (output_width - r.width) / 2;
    r.y = (output_height - r.height) / 2;
    return r;
}
