// The star field: fifty textured stars circling a point in a tilted plane,
// each drawn twice in two colours with additive blending.
#pragma once

#include <cstdint>

struct StarRecord {
    std::int32_t red;
    std::int32_t green;
    std::int32_t blue;
    float distance;
    float angle;
};

extern StarRecord stars[50];
extern float star_spin;
extern float star_zoom;
extern float star_tilt;

// The star field's own random generator (state 1 at start, never reseeded).
int star_rand();
// Puts the generator back to its start state, as a new process has it: for
// the programs that start the system more than once in one process.
void restart_star_rand();

void init_stars();
void draw_star_field();
