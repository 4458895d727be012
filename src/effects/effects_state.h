// What the effects keep between frames, in one place, so that a new run is
// one assignment of EffectsState{}: the star records and their generator,
// the star field's turns, the honeycomb's spin, the swarm's phase, and the
// tunnel's two grids (rebuilt on every call, kept so nothing is allocated
// per frame).
#pragma once

#include <cstdint>

struct StarRecord {
    std::int32_t red;
    std::int32_t green;
    std::int32_t blue;
    float distance;
    float angle;
};

// Rings along the tunnel by points around it (32 strips, the last point
// repeating the first).
constexpr int tunnel_grid = 33;

struct EffectsState {
    StarRecord stars[50] = {};
    // The look of the field depends on this exact sequence, which is not
    // the rule of the C library's rand here, so the field keeps its own
    // generator: state 1 at start, never reseeded.
    std::uint32_t star_rand_state = 1;
    float star_spin = 0.0f;
    float star_zoom = -5.0f;
    float star_tilt = 45.0f;
    int field_spin = 0;
    float swarm_phase = 0.0f;
    // [i][j]: i around the tube, j along it.
    float tunnel_vertices[tunnel_grid][tunnel_grid][3] = {};
    float tunnel_texcoords[tunnel_grid][tunnel_grid][2] = {};
};

extern EffectsState effects;
