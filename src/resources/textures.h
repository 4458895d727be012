// The three pictures as mipmapped GL textures in the slots of texture_ids.
#pragma once

#include "resources/bmp_reader.h"
#include "resources/resources_state.h"

#include <GL/gl.h>

RgbImage* load_bmp(const char* path);
bool load_textures();
