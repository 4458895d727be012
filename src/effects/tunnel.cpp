// STAND-IN until the tunnel lands.
#include "effects/tunnel.h"

float tunnel_vertices[36][36][3] = {};
float tunnel_texcoords[36][36][2] = {};

int draw_tunnel() { return 1; }
