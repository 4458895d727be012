// STAND-IN until the star field lands.
#include "effects/star_field.h"

StarRecord stars[50] = {};
float star_spin = 0.0f;
float star_zoom = -5.0f;
float star_tilt = 45.0f;

int star_rand() { return 0; }
void init_stars() {}
void draw_star_field() {}
