// The tunnel: a textured tube winding away into the fog. Its shape and the
// placement of its texture follow from tunnel_angle alone, so both grids are
// rebuilt on every call and nothing else is kept between frames.
#include "effects/tunnel.h"

#include "resources/textures.h"
#include "shared/shared_state.h"

#include <GL/gl.h>

#include <cmath>

namespace {
// Single-precision multipliers, widened: the grid values depend on exactly
// these roundings.
constexpr double one_60th = static_cast<double>(1.0f / 60.0f);
constexpr double one_120th = static_cast<double>(1.0f / 120.0f);
constexpr double one_12th = static_cast<double>(1.0f / 12.0f);
constexpr double one_13th = static_cast<double>(1.0f / 13.0f);
constexpr double one_17th = static_cast<double>(1.0f / 17.0f);
constexpr double one_29th = static_cast<double>(1.0f / 29.0f);
constexpr double one_33rd = static_cast<double>(1.0f / 33.0f);
constexpr double pi_16th = static_cast<double>(3.14159265358979f / 16.0f);
constexpr int rings = tunnel_grid; // ring 0 (the mouth) to ring 32
constexpr int sides = tunnel_grid; // 32 strips, the last point repeating the first

// The path the tube's centre follows as the phase grows.
double path_x(double u) { return 2.0 * std::sin(u * one_29th) + std::cos(u * one_13th); }
double path_y(double u) { return 2.0 * std::cos(u * one_33rd) + std::sin(u * one_17th); }
} // namespace

void draw_tunnel()
{
    glDepthFunc(GL_LEQUAL);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -4.2f);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);

    const double p = shared.tunnel_angle;
    const double q = 3.0 * p;
    for (int i = 0; i < sides; ++i)
        for (int j = 0; j < rings; ++j) {
            effects.tunnel_texcoords[i][j][0] = static_cast<float>(i * 0.03125 + 0.5 * std::cos((8.0 * j + q) * one_60th));
            effects.tunnel_texcoords[i][j][1] = static_cast<float>((j + q) * one_120th + j * 0.03125);
        }

    glEnable(GL_FOG);

    // Every ring's centre and radius depend on the ring alone, every point's
    // offset on its angle alone: work both out once, not once per point.
    const double px0 = path_x(p);
    const double py0 = path_y(p);
    double ring_x[rings], ring_y[rings], radius[rings];
    for (int j = 0; j < rings; ++j) {
        const double u = 2.0 * j + p;
        ring_x[j] = path_x(u);
        ring_y[j] = path_y(u);
        radius[j] = static_cast<float>(3.0 - j * one_12th);
    }
    for (int k = 0; k < sides; ++k) {
        const double theta = k * pi_16th;
        const double c = std::cos(theta);
        const double s = std::sin(theta);
        for (int j = 0; j < rings; ++j) {
            float* v = effects.tunnel_vertices[k][j];
            v[0] = static_cast<float>(radius[j] * (ring_x[j] + c - px0));
            v[1] = static_cast<float>(radius[j] * (ring_y[j] + s - py0));
            v[2] = static_cast<float>(-j);
        }
    }

    // Strips around the tube, each drawn from the mouth inwards, so that
    // with GL_LEQUAL the near parts of the bent tube cover the far ones.
    for (int a = 0; a < sides - 1; ++a) {
        glBindTexture(GL_TEXTURE_2D, resources.texture_ids[tunnel_wall_slot]);
        glBegin(GL_QUADS);
        for (int b = 0; b < rings - 1; ++b) {
            const int corner[4][2] = {{a, b}, {a + 1, b}, {a + 1, b + 1}, {a, b + 1}};
            for (const auto& ij : corner) {
                glTexCoord2fv(effects.tunnel_texcoords[ij[0]][ij[1]]);
                glVertex3fv(effects.tunnel_vertices[ij[0]][ij[1]]);
            }
        }
        glEnd();
    }

    glDisable(GL_TEXTURE_2D);
    glDisable(GL_FOG);
    glDepthFunc(GL_ALWAYS);
}
