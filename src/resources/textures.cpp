// The three pictures as mipmapped GL textures: read each file, upload it
// with a full mipmap chain, release the image again.
#include "resources/textures.h"

#include "platform/media_files.h"

#include <GL/glu.h>

RgbImage* load_bmp(const char* path)
{
    if (!path)
        return nullptr;
    // Only a probe: a file that cannot be opened fails without a message,
    // and so does a pipe, a folder or a device under the picture's name
    // (the probe never waits on one).
    if (!platform_media_file_opens(path))
        return nullptr;
    return read_dib_file(path);
}

bool load_textures()
{
    RgbImage* images[3] = {};
    bool result = false;
    // The first file that fails stops the loading; later ones are not opened.
    if ((images[0] = load_bmp("files/tunnel.bmp")) && (images[1] = load_bmp("files/star.bmp")) &&
        (images[2] = load_bmp("files/load.bmp"))) {
        result = true;
        glGenTextures(texture_slots, resources.texture_ids);
        // The image rows are unpadded: any width uploads as it stands.
        GLint alignment = 4;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        for (int i = 0; i < 3; ++i) {
            glBindTexture(GL_TEXTURE_2D, resources.texture_ids[i]);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
            gluBuild2DMipmaps(GL_TEXTURE_2D, 3, images[i]->width, images[i]->height, GL_RGB, GL_UNSIGNED_BYTE,
                              images[i]->data);
        }
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    }
    for (int i = 0; i < 3; ++i)
        free_rgb_image(images[i]);
    return result;
}
