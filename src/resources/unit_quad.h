// The textured unit square the start picture, the title blocks and the
// stars are drawn with.
#pragma once

// A textured square from (-1, -1) to (1, 1) at z 0. Sets no state:
// texturing, colour and placement are the caller's.
void draw_unit_quad();
