// The GL subset's state (subset), shared by the layer's units: the GL 1.1
// state it keeps itself (ES has none of it), the batch of vertices waiting
// to be drawn, the primitive begun, the display lists, and the check that
// fails loudly on anything outside the subset.
#pragma once

#include <GLES3/gl3.h>

#include "gles/subset_enums.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

struct Matrix {
    float m[16]; // column major, as GL keeps it
};

Matrix identity_matrix();
Matrix multiply(const Matrix& a, const Matrix& b);

// A vertex of a filled primitive as the program reads it: eye-space
// position, clamped colour, texture coordinate. Filled primitives are
// batched as these and the indices of their triangles.
struct FillVertex {
    float eye[4];
    float colour[4];
    float tex[2];
};

// A vertex of the quads that stand in for lines: as a fill vertex, and the
// line's two ends in window coordinates, its half width and kind.
struct BatchVertex {
    float eye[4];
    float colour[4];
    float tex[2];
    float ends[4];
    float line[2]; // half width in pixels; kind: 0 fill, 1 smooth line, 2 line
};

// A vertex of a compiled display list, in the list's object space (the
// matrix calls recorded before it already applied), kept in one buffer for
// all lists. For a line's quad it also holds the line's other end and
// which corner it is; the program takes the ends to window space itself.
struct ListVertex {
    float position[3]; // a filled primitive's vertex, or this corner's end of the line
    float colour[4];   // clamped; red below 0: the current colour at the call
    float tex[2];
    float other[3];    // a line's other end
    float corner[4];   // a line's: 1 at its first end, -1 at its second; across: -1 or 1;
                       // its width (below 0: the width at the call); tex: 1 from the call
};

// What a list call takes from the state at the call: the model-view
// matrix, the current colour (clamped) and texture coordinate, the line
// width and whether lines are smooth.
struct ListInstance {
    float modelview[16];
    float colour[4];
    float tex_line[4]; // s, t, line width, kind (1 smooth, 2 not)
};

// Every compiled list's vertices; `generation` changes with them, so the
// buffer that holds them is filled again before the next list is drawn.
struct ListStore {
    std::vector<ListVertex> vertices;
    unsigned generation = 1;
};

// The batch of filled primitives: a primitive adds its vertices, then the
// indices of its triangles.
struct FillBatch {
    std::vector<FillVertex> vertices;
    std::vector<GLuint> indices;
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

// The batch (batch.cpp): what it holds now, and the objects it is drawn
// with. Per context: the vertex arrays of the three kinds of batch. Per
// share group: the buffers and programs.
struct BatchState {
    // One linked program of each variant, made the first time a batch needs it.
    struct Program {
        GLuint name = 0;
        GLint projection = -1, fog_range = -1, fog_colour = -1, picture = -1, viewport = -1;
    };
    // What the batch holds now: filled primitives, line quads or calls of a list.
    enum class Pending { nothing, fill, lines, list };

    Program programs[16]; // by variant (batch.cpp)
    Pending pending = Pending::nothing;
    DrawState state;
    std::vector<BatchVertex> line_batch;
    std::vector<ListInstance> instances;
    std::size_t list_first = 0, list_count = 0;
    GLuint fill_array = 0, line_array = 0, list_array = 0;
    GLuint stream_buffer = 0, index_buffer = 0, instance_buffer = 0, list_buffer = 0;
    unsigned uploaded_generation = 0; // the list store's generation the list buffer holds
};

// A vertex of a line primitive between glBegin and glEnd, in eye space.
struct PrimitiveVertex {
    float eye[4];
    float colour[4];
    float tex[2];
};

// Immediate mode (immediate.cpp): the primitive between glBegin and glEnd.
struct ImmediateState {
    bool inside_begin = false;
    bool line_mode = false;
    GLenum primitive_mode = 0;
    std::size_t primitive_first = 0;        // where the filled primitive's vertices start in the batch
    std::vector<PrimitiveVertex> primitive; // a line primitive's vertices
    std::vector<BatchVertex> quads;
};

// A call recorded in a display list, with its arguments (op: ListOp).
struct ListCall {
    int op;
    float a, b, c, d;
};

// A run of a list's vertices drawn with one program: filled or lines.
struct ListPiece {
    std::size_t first, count;
    bool lines;
};

struct DisplayList {
    std::vector<ListCall> calls;
    bool compiled = false;
    std::vector<ListPiece> pieces;
    std::vector<ListCall> matrix_calls;
    bool sets_colour = false, sets_normal = false, sets_tex = false, sets_width = false;
    float colour[4] = {}, normal[3] = {}, tex[2] = {}, width = 1.0f;
};

// The display lists (lists.cpp), by name, and the calls being recorded.
struct ListsState {
    std::unordered_map<GLuint, DisplayList> by_name;
    GLuint next_list = 1;
    std::vector<ListCall> recording;
    int replay_depth = 0;
    std::size_t dead_vertices = 0; // of lists compiled again or deleted, still in the store
};

struct SubsetState {
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float clamped_colour[4] = {1.0f, 1.0f, 1.0f, 1.0f}; // as a vertex takes it
    float normal[3] = {0.0f, 0.0f, 1.0f};
    float tex[2] = {0.0f, 0.0f};
    bool blend = false, depth_test = false, texture_2d = false, fog = false, line_smooth = false;
    // Nothing is drawn or cleared while it is on (a player's seek steps the
    // scenes for their state alone): the batches are dropped, not sent.
    bool rasterizer_discard = false;
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
    FillBatch fill_batch;
    // What outlives a context whose share group lives on, as the lists do:
    // their vertices, and the list being recorded (0: none).
    ListStore list_store;
    GLuint compiling = 0;
    BatchState batch;
    ImmediateState immediate;
    ListsState lists;
    // The calls outside the subset already named on standard error: each
    // is named once per process.
    std::set<std::pair<const char*, unsigned>> named_outside;
};

extern SubsetState subset;

// Reports a call or value outside the subset: aborts in a debug build,
// names it once on standard error otherwise.
void outside_subset(const char* call, unsigned value);

DrawState current_draw_state();
// Draws the batch now (the platform's gles_flush does the same).
void gles_flush_batch();
// Makes the batch of filled primitives ready for one more drawn with the
// current state, drawing what was batched first if that differs.
void begin_fill_primitive();
// Appends the indices of the triangles of a filled primitive (GL_TRIANGLES,
// _STRIP, _FAN or GL_QUADS) of n vertices numbered from `first`.
void triangle_indices(GLenum mode, GLuint first, std::size_t n, std::vector<GLuint>* out);
// Queues the quads of lines (six vertices each) drawn with the current state.
void batch_line_quads(const BatchVertex* vertices, std::size_t count);
// Queues one call of a compiled list's vertices list_store.vertices[first,
// first + count), lines or filled, drawn with the current state; calls of
// the same vertices one after the other are drawn as instances of one draw.
void batch_list_piece(std::size_t first, std::size_t count, bool lines, const ListInstance& instance);
// Binds the texture the system last bound, after a batch may have bound another.
void bind_tracked_texture();

// What belongs to one context, forgotten when it is deleted.
void forget_batch_objects(bool share_group_lives);
void forget_lists();

// The model-view or projection matrix turned or moved, with GL 1.1's arithmetic.
void translate_matrix(Matrix& m, float x, float y, float z);
void rotate_matrix(Matrix& m, float angle, float x, float y, float z);

// Display lists: whether calls are being recorded, and the recording.
inline bool compiling_list() { return subset.compiling != 0; }
void record_call(int op, float a = 0, float b = 0, float c = 0, float d = 0);

enum ListOp {
    op_begin, op_end, op_vertex, op_colour, op_normal, op_tex, op_line_width, op_translate, op_rotate,
};

inline float clamped(float v) { return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v; }
