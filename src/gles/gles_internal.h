// The layer's state, shared by its units: the GL 1.1 state the subset keeps
// itself (ES has none of it), the batch of vertices waiting to be drawn, and
// the check that fails loudly on anything outside the subset.
#pragma once

#include <GLES3/gl3.h>

#include "gles/subset_enums.h"

#include <cstdint>
#include <vector>

struct Matrix {
    float m[16]; // column major, as GL keeps it
};

Matrix identity_matrix();
Matrix multiply(const Matrix& a, const Matrix& b);

// One vertex as the program reads it: eye-space position, clamped colour,
// texture coordinate, and for the quads that stand in for smooth lines the
// line's two ends in window coordinates, its half width and kind.
struct BatchVertex {
    float eye[4];
    float colour[4];
    float tex[2];
    float ends[4];
    float line[2]; // half width in pixels; kind: 0 fill, 1 smooth line, 2 line
};

// What a batch is drawn with; a change of any of it starts another batch.
struct DrawState {
    bool textured = false;
    GLuint texture = 0;
    bool blend = false;
    GLenum blend_src = GL_ONE;
    GLenum blend_dst = GL_ZERO;
    bool depth_test = false;
    GLenum depth_func = GL_LESS;
    bool fog = false;
    float fog_start = 0.0f;
    float fog_end = 1.0f;
    float fog_colour[3] = {0.0f, 0.0f, 0.0f};
    bool lines = false; // the quads of lines, whose fragments take coverage

    bool operator==(const DrawState& o) const;
};

struct LayerState {
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float normal[3] = {0.0f, 0.0f, 1.0f};
    float tex[2] = {0.0f, 0.0f};
    bool blend = false, depth_test = false, texture_2d = false, fog = false, line_smooth = false;
    GLenum blend_src = GL_ONE, blend_dst = GL_ZERO;
    GLenum depth_func = GL_LESS;
    float line_width = 1.0f;
    float fog_start = 0.0f, fog_end = 1.0f, fog_density = 1.0f;
    float fog_colour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float clear_colour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    GLuint bound_texture = 0;
    GLint unpack_alignment = 4;
    GLuint list_base = 0;
    std::vector<GLuint> list_base_stack;
    GLenum matrix_mode = GL_MODELVIEW;
    std::vector<Matrix> modelview{identity_matrix()};
    std::vector<Matrix> projection{identity_matrix()};
    GLint viewport[4] = {0, 0, 0, 0};
};

extern LayerState layer;

// Reports a call or value outside the subset: aborts in a debug build,
// names it once on standard error otherwise.
void outside_subset(const char* call, unsigned value);

DrawState current_draw_state();
// Draws the batch now (the platform's gles_flush does the same).
void gles_flush_batch();
// Queues triangles (three vertices each) drawn with the current state.
void batch_triangles(const BatchVertex* vertices, std::size_t count, bool lines);
// Binds the texture the system last bound, after a batch may have bound another.
void bind_tracked_texture();

// What belongs to one context, forgotten when it is deleted.
void forget_batch_objects(bool share_group_lives);
void forget_lists();

// Display lists: whether calls are being recorded, and the recording.
bool compiling_list();
void record_call(int op, float a = 0, float b = 0, float c = 0, float d = 0);

enum ListOp {
    op_begin, op_end, op_vertex, op_colour, op_normal, op_tex, op_line_width, op_translate, op_rotate,
};
