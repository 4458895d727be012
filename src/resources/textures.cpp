// STAND-IN until the pictures land: a grey checker texture in slots 0 to 2.
#include "resources/textures.h"

GLuint texture_ids[5] = {};

RgbImage* load_bmp(const char* path)
{
    (void)path;
    return nullptr;
}

bool load_textures()
{
    static unsigned char checker[4 * 4 * 3];
    for (int i = 0; i < 16; ++i)
        for (int c = 0; c < 3; ++c)
            checker[i * 3 + c] = ((i + i / 4) % 2) ? 200 : 60;
    glGenTextures(5, texture_ids);
    for (int i = 0; i < 3; ++i) {
        glBindTexture(GL_TEXTURE_2D, texture_ids[i]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, checker);
    }
    return true;
}
