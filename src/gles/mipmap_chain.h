// The mipmap chain as GLU builds it for gluBuild2DMipmaps: every level the
// 2 x 2 box filter of the one above (a 2 x 1 or 1 x 2 box once a side is
// one texel), down to 1 x 1. Pure CPU work, so tests can hold it against
// Debian's libGLU.
#pragma once

#include <cstdint>
#include <vector>

struct MipLevel {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> texels; // tightly packed, `components` bytes a texel
};

// False for a size that is not a power of two on both sides (GLU would
// scale it first; the system's pictures never need that).
bool build_mip_chain(const std::uint8_t* image, int width, int height, int components, int row_alignment,
                     std::vector<MipLevel>* chain);
