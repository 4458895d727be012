// GLU's gluPerspective and gluBuild2DMipmaps on the layer: the perspective
// matrix as GLU computes it (double, multiplied in as floats), and the
// mipmap chain as GLU filters it, uploaded level by level.
#include "gles/gles_internal.h"
#include "gles/mipmap_chain.h"
#include "gles/subset_api.h"

#include <cmath>

namespace {

bool power_of_two(int v) { return v > 0 && (v & (v - 1)) == 0; }

MipLevel halve(const MipLevel& from, int c)
{
    MipLevel to;
    to.width = from.width > 1 ? from.width / 2 : 1;
    to.height = from.height > 1 ? from.height / 2 : 1;
    to.texels.resize(static_cast<std::size_t>(to.width) * to.height * c);
    const auto at = [&](int x, int y, int k) {
        return static_cast<unsigned>(from.texels[(static_cast<std::size_t>(y) * from.width + x) * c + k]);
    };
    for (int y = 0; y < to.height; ++y)
        for (int x = 0; x < to.width; ++x)
            for (int k = 0; k < c; ++k) {
                unsigned v;
                if (from.width > 1 && from.height > 1)
                    v = (at(2 * x, 2 * y, k) + at(2 * x + 1, 2 * y, k) + at(2 * x, 2 * y + 1, k) +
                         at(2 * x + 1, 2 * y + 1, k) + 2) / 4;
                else if (from.width > 1)
                    v = (at(2 * x, 0, k) + at(2 * x + 1, 0, k)) / 2;
                else
                    v = (at(0, 2 * y, k) + at(0, 2 * y + 1, k)) / 2;
                to.texels[(static_cast<std::size_t>(y) * to.width + x) * c + k] = static_cast<std::uint8_t>(v);
            }
    return to;
}

} // namespace

bool build_mip_chain(const std::uint8_t* image, int width, int height, int components, int row_alignment,
                     std::vector<MipLevel>* chain)
{
    chain->clear();
    if (!image || !power_of_two(width) || !power_of_two(height) || components < 1 || components > 4 ||
        row_alignment < 1)
        return false;
    const std::size_t row = static_cast<std::size_t>(width) * components;
    const std::size_t stride = (row + row_alignment - 1) / row_alignment * row_alignment;
    MipLevel base;
    base.width = width;
    base.height = height;
    base.texels.resize(row * height);
    for (int y = 0; y < height; ++y)
        for (std::size_t i = 0; i < row; ++i)
            base.texels[y * row + i] = image[y * stride + i];
    chain->push_back(std::move(base));
    while (chain->back().width > 1 || chain->back().height > 1)
        chain->push_back(halve(chain->back(), components));
    return true;
}

void elka_glu_perspective(GLdouble fovy, GLdouble aspect, GLdouble z_near, GLdouble z_far)
{
    const double radians = fovy / 2 * M_PI / 180;
    const double delta_z = z_far - z_near;
    const double sine = std::sin(radians);
    if (delta_z == 0 || sine == 0 || aspect == 0)
        return;
    const double cotangent = std::cos(radians) / sine;
    Matrix m = {};
    m.m[0] = static_cast<float>(cotangent / aspect);
    m.m[5] = static_cast<float>(cotangent);
    m.m[10] = static_cast<float>(-(z_far + z_near) / delta_z);
    m.m[11] = -1.0f;
    m.m[14] = static_cast<float>(-2 * z_near * z_far / delta_z);
    std::vector<Matrix>& stack = subset.matrix_mode == GL_PROJECTION ? subset.projection : subset.modelview;
    if (subset.matrix_mode == GL_PROJECTION)
        gles_flush_batch();
    stack.back() = multiply(stack.back(), m);
}

GLint elka_glu_build_2d_mipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format,
                                GLenum type, const void* data)
{
    if (target != GL_TEXTURE_2D || components != 3 || format != GL_RGB || type != GL_UNSIGNED_BYTE) {
        outside_subset("gluBuild2DMipmaps", target != GL_TEXTURE_2D ? target : format != GL_RGB ? format : type);
        return 1;
    }
    std::vector<MipLevel> chain;
    if (!build_mip_chain(static_cast<const std::uint8_t*>(data), width, height, 3, subset.unpack_alignment,
                         &chain)) {
        outside_subset("gluBuild2DMipmaps (a size that is not a power of two)", static_cast<unsigned>(width));
        return 1;
    }
    gles_flush_batch();
    bind_tracked_texture();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (std::size_t level = 0; level < chain.size(); ++level)
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGB, chain[level].width, chain[level].height, 0,
                     GL_RGB, GL_UNSIGNED_BYTE, chain[level].texels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, subset.unpack_alignment);
    return 0;
}
