// What the tests and tools ask of the fonts (host.h), in a file of its own:
// the demo calls none of it, so none of it is linked into the demo.
#include "platform/host.h"
#include "platform/outline_flattening.h"
#include "platform/sdl/outline_face.h"
#include "platform/sdl/sdl_backend.h"

#include <fontconfig/fontconfig.h>

void platform_forget_font_files()
{
    if (sdl_backend.font_files.empty())
        return;
    FcConfigAppFontClear(nullptr);
    sdl_backend.font_files.clear();
}

std::string platform_outline_face_family(const OutlineFace* face) { return face ? face->family : ""; }
std::string platform_outline_face_file(const OutlineFace* face) { return face ? face->file : ""; }
bool platform_outline_face_emboldened(const OutlineFace* face) { return face && face->embolden; }
unsigned platform_ansi_to_unicode(unsigned char code) { return outline_ansi_to_unicode(code); }
