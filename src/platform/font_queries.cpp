// What the tests and tools ask of the fonts (host.h), in a unit of its own:
// the demo calls none of it, so none of it is linked into the demo.
#include "platform/backend.h"
#include "platform/host.h"
#include "platform/outline_flattening.h"

void platform_forget_font_files()
{
    if (font_state.files.empty())
        return;
    backend_font_file(nullptr);
    font_state.files.clear();
}

std::string platform_outline_face_family(const OutlineFace* face) { return face ? face->family : ""; }
std::string platform_outline_face_file(const OutlineFace* face) { return face ? face->file : ""; }
bool platform_outline_face_emboldened(const OutlineFace* face) { return face && face->embolden; }
unsigned platform_ansi_to_unicode(unsigned char code) { return outline_ansi_to_unicode(code); }
