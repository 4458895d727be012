// GLU as the system sees it in the ES build: gluPerspective and
// gluBuild2DMipmaps are the layer's (src/gles/glu.cpp), the tessellator is
// Debian's libGLU, which works on the CPU alone and calls back into the
// layer's immediate mode.
#pragma once

#include <GL/gl.h>

#define gluPerspective elka_glu_perspective
#define gluBuild2DMipmaps elka_glu_build_2d_mipmaps

#define GLU_TESS_BEGIN 100100
#define GLU_TESS_VERTEX 100101
#define GLU_TESS_END 100102
#define GLU_TESS_COMBINE 100105
#define GLU_TESS_WINDING_RULE 100140
#define GLU_TESS_WINDING_NONZERO 100131

extern "C" {
typedef struct GLUtesselator GLUtesselator;
typedef void(GLAPIENTRYP _GLUfuncptr)();
GLUtesselator* gluNewTess();
void gluDeleteTess(GLUtesselator* tess);
void gluTessProperty(GLUtesselator* tess, GLenum which, GLdouble data);
void gluTessNormal(GLUtesselator* tess, GLdouble x, GLdouble y, GLdouble z);
void gluTessCallback(GLUtesselator* tess, GLenum which, _GLUfuncptr callback);
void gluTessBeginPolygon(GLUtesselator* tess, GLvoid* data);
void gluTessBeginContour(GLUtesselator* tess);
void gluTessVertex(GLUtesselator* tess, GLdouble* location, GLvoid* data);
void gluTessEndContour(GLUtesselator* tess);
void gluTessEndPolygon(GLUtesselator* tess);
}
