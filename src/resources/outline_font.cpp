// The outline font: 255 glyph display lists of files/font.ttf, flat filled
// polygons in em units, and print_text, which centres a text on the
// current origin 3 units further in.
#include "resources/outline_font.h"

#include "platform/font_outlines.h"
#include "platform/window_system.h"

#include <GL/glu.h>

#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <vector>


namespace {

const char* const font_file = "files/font.ttf";
const char* const font_face = "Secret Service Typewriter";
const int font_weight = 700; // bold

void GLAPIENTRY tess_begin(GLenum type) { glBegin(type); }
void GLAPIENTRY tess_vertex(void* vertex) { glVertex3dv(static_cast<const GLdouble*>(vertex)); }
void GLAPIENTRY tess_end() { glEnd(); }
void GLAPIENTRY tess_combine(GLdouble coords[3], void*[4], GLfloat[4], void** out)
{
    resources.combined_vertices->emplace_back();
    GLdouble* v = resources.combined_vertices->back().data();
    v[0] = coords[0];
    v[1] = coords[1];
    v[2] = 0.0;
    *out = v;
}

// Fills the glyph's contours with the nonzero rule, as TrueType fills
// them, into the list being compiled: triangles in z = 0 facing +z.
void tessellate(GLUtesselator* tess, const GlyphOutline& glyph)
{
    if (glyph.contour_ends.empty())
        return;
    std::vector<GLdouble> coords(glyph.points.size() * 3);
    for (std::size_t i = 0; i < glyph.points.size(); ++i) {
        coords[i * 3 + 0] = glyph.points[i].x;
        coords[i * 3 + 1] = glyph.points[i].y;
        coords[i * 3 + 2] = 0.0;
    }
    std::deque<std::array<GLdouble, 3>> combined;
    resources.combined_vertices = &combined;
    glNormal3f(0.0f, 0.0f, 1.0f);
    gluTessBeginPolygon(tess, nullptr);
    int start = 0;
    for (int end : glyph.contour_ends) {
        gluTessBeginContour(tess);
        for (int i = start; i < end; ++i)
            gluTessVertex(tess, &coords[i * 3], &coords[i * 3]);
        gluTessEndContour(tess);
        start = end;
    }
    gluTessEndPolygon(tess);
    resources.combined_vertices = nullptr;
}

} // namespace

void build_font()
{
    resources.font_list_base = glGenLists(256);
    // Registering may fail (no file, not a font): matching then picks
    // another installed face and texts are drawn in that.
    platform_add_font_file(font_file);
    OutlineFace* face = platform_match_outline_face(font_face, font_weight);
    if (!face || resources.font_list_base == 0) {
        platform_close_outline_face(face);
        return;
    }

    GLUtesselator* tess = gluNewTess();
    if (tess) {
        gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
        gluTessNormal(tess, 0.0, 0.0, 1.0);
        gluTessCallback(tess, GLU_TESS_BEGIN, reinterpret_cast<void(GLAPIENTRY*)()>(tess_begin));
        gluTessCallback(tess, GLU_TESS_VERTEX, reinterpret_cast<void(GLAPIENTRY*)()>(tess_vertex));
        gluTessCallback(tess, GLU_TESS_END, reinterpret_cast<void(GLAPIENTRY*)()>(tess_end));
        gluTessCallback(tess, GLU_TESS_COMBINE, reinterpret_cast<void(GLAPIENTRY*)()>(tess_combine));
    }

    GlyphOutline glyph;
    for (int code = 0; code < 255; ++code) { // 255 stays undefined
        if (!platform_glyph_outline(face, static_cast<unsigned char>(code), &glyph))
            glyph = GlyphOutline();
        resources.glyph_metrics[code] = {glyph.black_box_x, glyph.black_box_y, glyph.origin_x,
                               glyph.origin_y, glyph.advance_x, glyph.advance_y};
        glNewList(resources.font_list_base + code, GL_COMPILE);
        if (tess)
            tessellate(tess, glyph);
        glTranslatef(glyph.advance_x, glyph.advance_y, 0.0f);
        glEndList();
    }

    if (tess)
        gluDeleteTess(tess);
    platform_close_outline_face(face);
}

void delete_font()
{
    // At shutdown the window, and with it the context, is already gone:
    // then the lists went with it and there is nothing to call GL with.
    if (resources.font_list_base == 0 || !platform_context_current())
        return;
    glDeleteLists(resources.font_list_base, 256);
    resources.font_list_base = 0;
}

void print_text(const char* format, ...)
{
    if (!format)
        return;
    // Bounded: a longer formatted text is cut to the 255 characters that fit.
    char text[256];
    va_list args;
    va_start(args, format);
    int written = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (written < 0)
        text[0] = '\0';
    std::size_t length = std::strlen(text);

    float width = 0.0f;
    for (std::size_t i = 0; i < length; ++i)
        width += resources.glyph_metrics[static_cast<unsigned char>(text[i])].cell_inc_x;

    glTranslatef(-width * 0.5f, 0.0f, -3.0f);
    glPushAttrib(GL_LIST_BIT);
    glListBase(resources.font_list_base);
    glCallLists(static_cast<GLsizei>(length), GL_UNSIGNED_BYTE, text);
    glPopAttrib();
}
