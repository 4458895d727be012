// The outline fonts, the same on every backend: a font file is taken only
// when it is a regular file (fontconfig would scan a folder for fonts and
// wait for ever on a pipe), by absolute name and once only; a glyph is
// asked for by its Unicode code point. Registering, matching and reading
// the outlines are the backend's (backend.h).
#include "platform/font_outlines.h"

#include "platform/backend.h"
#include "platform/media_files_internal.h"
#include "platform/outline_flattening.h"

#include <algorithm>

FontState font_state;

bool platform_add_font_file(const char* path)
{
    std::string name;
    if (!path || !platform_media_file_name(path, &name))
        return false;
    std::vector<std::string>& files = font_state.files;
    if (std::find(files.begin(), files.end(), name) != files.end())
        return true;
    if (!backend_font_file(name.c_str()))
        return false;
    files.push_back(name);
    return true;
}

OutlineFace* platform_match_outline_face(const char* family, int weight)
{
    OutlineFace* face = new OutlineFace;
    face->backend = backend_face_match(family, weight, face);
    if (!face->backend) {
        delete face;
        return nullptr;
    }
    return face;
}

void platform_close_outline_face(OutlineFace* face)
{
    if (!face)
        return;
    backend_face_close(face->backend);
    delete face;
}

bool platform_glyph_outline(OutlineFace* face, unsigned char code, GlyphOutline* out)
{
    if (!face || !out)
        return false;
    *out = GlyphOutline();
    return backend_glyph_outline(*face, face->symbol ? 0xF000u + code : outline_ansi_to_unicode(code), out);
}
