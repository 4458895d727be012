// The GL 1.1 values the system uses that OpenGL ES 3.0 does not define,
// spelt as the Khronos headers spell them. Values ES shares come from
// <GLES3/gl3.h> in the layer and from include/GL/gl.h in the system.
#pragma once

#define GL_QUADS 0x0007
#define GL_CURRENT_COLOR 0x0B00
#define GL_LINE_SMOOTH 0x0B20
#define GL_LINE_SMOOTH_HINT 0x0C52
#define GL_SMOOTH 0x1D01
#define GL_FOG 0x0B60
#define GL_FOG_DENSITY 0x0B62
#define GL_FOG_START 0x0B63
#define GL_FOG_END 0x0B64
#define GL_FOG_MODE 0x0B65
#define GL_FOG_COLOR 0x0B66
#define GL_FOG_HINT 0x0C54
#define GL_PERSPECTIVE_CORRECTION_HINT 0x0C50
#define GL_MATRIX_MODE 0x0BA0
#define GL_MODELVIEW 0x1700
#define GL_PROJECTION 0x1701
#define GL_MODELVIEW_MATRIX 0x0BA6
#define GL_BLEND_SRC 0x0BE1
#define GL_BLEND_DST 0x0BE0
#define GL_COMPILE 0x1300
#define GL_LIST_BIT 0x00020000
