// What the tests ask of the fonts (host.h), in a file of its own: the demo
// calls none of it, so none of it is linked into the demo.
#include "platform/win32/win32.h"

#include "platform/host.h"
#include "platform/outline_flattening.h"
#include "platform/win32/outline_face_win32.h"
#include "platform/win32/win32_backend.h"

void platform_forget_font_files()
{
    for (const std::string& name : win32_backend.font_files)
        RemoveFontResourceExA(name.c_str(), FR_PRIVATE, nullptr);
    win32_backend.font_files.clear();
}

std::string platform_outline_face_family(const OutlineFace* face) { return face ? face->family : ""; }
std::string platform_outline_face_file(const OutlineFace* face) { return face ? face->file : ""; }
bool platform_outline_face_emboldened(const OutlineFace* face) { return face && face->embolden; }
unsigned platform_ansi_to_unicode(unsigned char code) { return outline_ansi_to_unicode(code); }
