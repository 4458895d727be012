// GL as the system sees it where OpenGL 1.1 does not exist (the ES build):
// exactly the fixed-function subset the system calls, drawn by the layer in
// src/gles on OpenGL ES 3.0. A call outside it does not compile; a value
// outside it fails loudly when the layer meets it.
//
// The subset: glBegin glEnd glVertex2f glVertex3f glVertex3fv glVertex3dv
// glColor4f glColor4ub glNormal3f glTexCoord2f glTexCoord2fv glRectf
// glMatrixMode glLoadIdentity glLoadMatrixf glTranslatef glRotatef
// glPushMatrix glPopMatrix glViewport glEnable glDisable glIsEnabled
// glGetIntegerv glGetFloatv glBlendFunc glDepthFunc glShadeModel glHint
// glLineWidth glFogf glFogi glFogfv glClear glClearColor glClearDepth
// glGenTextures glBindTexture glTexParameteri glPixelStorei glGenLists
// glDeleteLists glNewList glEndList glCallList glCallLists glListBase
// glPushAttrib glPopAttrib; GLU's in GL/glu.h.
#pragma once

#include "../../subset_api.h"
#include "../../subset_enums.h"

#define GLAPIENTRY
#define GLAPIENTRYP GLAPIENTRY *

#define GL_FALSE 0
#define GL_TRUE 1
#define GL_LINES 0x0001
#define GL_LINE_STRIP 0x0003
#define GL_TRIANGLES 0x0004
#define GL_TRIANGLE_STRIP 0x0005
#define GL_TRIANGLE_FAN 0x0006
#define GL_LEQUAL 0x0203
#define GL_ALWAYS 0x0207
#define GL_ONE 1
#define GL_SRC_ALPHA 0x0302
#define GL_ONE_MINUS_SRC_ALPHA 0x0303
#define GL_BLEND 0x0BE2
#define GL_DEPTH_TEST 0x0B71
#define GL_TEXTURE_2D 0x0DE1
#define GL_DEPTH_FUNC 0x0B74
#define GL_LINE_WIDTH 0x0B21
#define GL_COLOR_CLEAR_VALUE 0x0C22
#define GL_TEXTURE_BINDING_2D 0x8069
#define GL_UNPACK_ALIGNMENT 0x0CF5
#define GL_VIEWPORT 0x0BA2
#define GL_RASTERIZER_DISCARD 0x8C89
#define GL_COLOR_BUFFER_BIT 0x00004000
#define GL_DEPTH_BUFFER_BIT 0x00000100
#define GL_NICEST 0x1102
#define GL_LINEAR 0x2601
#define GL_LINEAR_MIPMAP_NEAREST 0x2701
#define GL_TEXTURE_MAG_FILTER 0x2800
#define GL_TEXTURE_MIN_FILTER 0x2801
#define GL_RGB 0x1907
#define GL_UNSIGNED_BYTE 0x1401

#define glBegin elka_gl_begin
#define glEnd elka_gl_end
#define glVertex2f elka_gl_vertex2f
#define glVertex3f elka_gl_vertex3f
#define glVertex3fv elka_gl_vertex3fv
#define glVertex3dv elka_gl_vertex3dv
#define glColor4f elka_gl_color4f
#define glColor4ub elka_gl_color4ub
#define glNormal3f elka_gl_normal3f
#define glTexCoord2f elka_gl_tex_coord2f
#define glTexCoord2fv elka_gl_tex_coord2fv
#define glRectf elka_gl_rectf
#define glMatrixMode elka_gl_matrix_mode
#define glLoadIdentity elka_gl_load_identity
#define glLoadMatrixf elka_gl_load_matrixf
#define glTranslatef elka_gl_translatef
#define glRotatef elka_gl_rotatef
#define glPushMatrix elka_gl_push_matrix
#define glPopMatrix elka_gl_pop_matrix
#define glViewport elka_gl_viewport
#define glEnable elka_gl_enable
#define glDisable elka_gl_disable
#define glIsEnabled elka_gl_is_enabled
#define glGetIntegerv elka_gl_get_integerv
#define glGetFloatv elka_gl_get_floatv
#define glBlendFunc elka_gl_blend_func
#define glDepthFunc elka_gl_depth_func
#define glShadeModel elka_gl_shade_model
#define glHint elka_gl_hint
#define glLineWidth elka_gl_line_width
#define glFogf elka_gl_fogf
#define glFogi elka_gl_fogi
#define glFogfv elka_gl_fogfv
#define glClear elka_gl_clear
#define glClearColor elka_gl_clear_color
#define glClearDepth elka_gl_clear_depth
#define glGenTextures elka_gl_gen_textures
#define glBindTexture elka_gl_bind_texture
#define glTexParameteri elka_gl_tex_parameteri
#define glPixelStorei elka_gl_pixel_storei
#define glGenLists elka_gl_gen_lists
#define glDeleteLists elka_gl_delete_lists
#define glNewList elka_gl_new_list
#define glEndList elka_gl_end_list
#define glCallList elka_gl_call_list
#define glCallLists elka_gl_call_lists
#define glListBase elka_gl_list_base
#define glPushAttrib elka_gl_push_attrib
#define glPopAttrib elka_gl_pop_attrib
