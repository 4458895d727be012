// The tunnel: a textured, fogged tube winding away from the viewer, shaped
// by tunnel_angle alone.
#pragma once

extern float tunnel_vertices[36][36][3];
extern float tunnel_texcoords[36][36][2];

int draw_tunnel();
