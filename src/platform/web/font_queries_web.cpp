// What the tests ask of the fonts (host.h), in a file of its own: the demo
// calls none of it, so none of it is linked into the demo.
#include "platform/host.h"
#include "platform/outline_flattening.h"
#include "platform/web/outline_face_web.h"
#include "platform/web/web_backend.h"

void platform_forget_font_files() { web_backend.fonts.clear(); }

std::string platform_outline_face_family(const OutlineFace* face) { return face ? face->font->family : ""; }
std::string platform_outline_face_file(const OutlineFace* face) { return face ? face->font->file : ""; }
bool platform_outline_face_emboldened(const OutlineFace* face) { return face && face->embolden; }
unsigned platform_ansi_to_unicode(unsigned char code) { return outline_ansi_to_unicode(code); }
