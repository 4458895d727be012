// The entry points of the GL 1.1 and GLU subset the system draws with, under
// the layer's own names. include/GL/gl.h and include/GL/glu.h map the GL
// names onto these; the layer's sources include this beside <GLES3/gl3.h>,
// so both sets of names live in one program without a clash.
#pragma once

#include <cstddef>

typedef unsigned int GLenum;
typedef unsigned char GLboolean;
typedef unsigned int GLbitfield;
typedef void GLvoid;
typedef unsigned char GLubyte;
typedef int GLint;
typedef unsigned int GLuint;
typedef int GLsizei;
typedef float GLfloat;
typedef float GLclampf;
typedef double GLdouble;
typedef double GLclampd;

// Immediate mode and the current attributes.
void elka_gl_begin(GLenum mode);
void elka_gl_end();
void elka_gl_vertex2f(GLfloat x, GLfloat y);
void elka_gl_vertex3f(GLfloat x, GLfloat y, GLfloat z);
void elka_gl_vertex3fv(const GLfloat* v);
void elka_gl_vertex3dv(const GLdouble* v);
void elka_gl_color4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void elka_gl_color4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a);
void elka_gl_normal3f(GLfloat x, GLfloat y, GLfloat z);
void elka_gl_tex_coord2f(GLfloat s, GLfloat t);
void elka_gl_tex_coord2fv(const GLfloat* v);
void elka_gl_rectf(GLfloat x1, GLfloat y1, GLfloat x2, GLfloat y2);

// Matrices and the viewport.
void elka_gl_matrix_mode(GLenum mode);
void elka_gl_load_identity();
void elka_gl_load_matrixf(const GLfloat* m);
void elka_gl_translatef(GLfloat x, GLfloat y, GLfloat z);
void elka_gl_rotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
void elka_gl_push_matrix();
void elka_gl_pop_matrix();
void elka_gl_viewport(GLint x, GLint y, GLsizei width, GLsizei height);

// State.
void elka_gl_enable(GLenum cap);
void elka_gl_disable(GLenum cap);
GLboolean elka_gl_is_enabled(GLenum cap);
void elka_gl_get_integerv(GLenum name, GLint* values);
void elka_gl_get_floatv(GLenum name, GLfloat* values);
void elka_gl_blend_func(GLenum src, GLenum dst);
void elka_gl_depth_func(GLenum func);
void elka_gl_shade_model(GLenum mode);
void elka_gl_hint(GLenum target, GLenum mode);
void elka_gl_line_width(GLfloat width);
void elka_gl_fogf(GLenum name, GLfloat value);
void elka_gl_fogi(GLenum name, GLint value);
void elka_gl_fogfv(GLenum name, const GLfloat* values);
void elka_gl_clear(GLbitfield mask);
void elka_gl_clear_color(GLclampf r, GLclampf g, GLclampf b, GLclampf a);
void elka_gl_clear_depth(GLclampd depth);

// Textures.
void elka_gl_gen_textures(GLsizei n, GLuint* textures);
void elka_gl_bind_texture(GLenum target, GLuint texture);
void elka_gl_tex_parameteri(GLenum target, GLenum name, GLint value);
void elka_gl_pixel_storei(GLenum name, GLint value);

// Display lists.
GLuint elka_gl_gen_lists(GLsizei range);
void elka_gl_delete_lists(GLuint list, GLsizei range);
void elka_gl_new_list(GLuint list, GLenum mode);
void elka_gl_end_list();
void elka_gl_call_list(GLuint list);
void elka_gl_call_lists(GLsizei n, GLenum type, const GLvoid* lists);
void elka_gl_list_base(GLuint base);
void elka_gl_push_attrib(GLbitfield mask);
void elka_gl_pop_attrib();

// GLU.
void elka_glu_perspective(GLdouble fovy, GLdouble aspect, GLdouble z_near, GLdouble z_far);
GLint elka_glu_build_2d_mipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format,
                                GLenum type, const void* data);
