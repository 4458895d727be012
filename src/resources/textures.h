// The three pictures as mipmapped GL textures: slot 0 tunnel wall, 1 star
// sprite, 2 start picture; slots 3 and 4 are generated and never used.
#pragma once

#include "resources/bmp_reader.h"

#include <GL/gl.h>

extern GLuint texture_ids[5];

RgbImage* load_bmp(const char* path);
bool load_textures();
