// Display lists: the calls made between glNewList and glEndList are
// recorded with their arguments and compiled once, at glEndList, into
// vertices in the list's object space (subset.list_store), which a call draws
// with its model-view matrix and current attributes (batch.cpp): no call
// is replayed and no vertex is moved on the CPU. What a list leaves
// behind it is kept with it and set after each call: its last colour,
// normal, texture coordinate and line width, and its matrix calls, made
// again on the current matrix, so that the matrix is exactly the one the
// calls would leave. A recording the compiler does not take (a vertex
// outside glBegin, glBegin twice, a list with matrix calls called while
// the projection is the current matrix) is replayed call by call through
// the same entry points instead, as the calls would draw.
#include "gles/gles_internal.h"
#include "gles/subset_api.h"

#include <unordered_map>

namespace {

void replay(const DisplayList& list)
{
    if (subset.lists.replay_depth > 0) {
        outside_subset("glCallList in a list", 0);
        return;
    }
    ++subset.lists.replay_depth;
    for (const ListCall& c : list.calls) {
        switch (c.op) {
        case op_begin: elka_gl_begin(static_cast<GLenum>(c.a)); break;
        case op_end: elka_gl_end(); break;
        case op_vertex: elka_gl_vertex3f(c.a, c.b, c.c); break;
        case op_colour: elka_gl_color4f(c.a, c.b, c.c, c.d); break;
        case op_normal: elka_gl_normal3f(c.a, c.b, c.c); break;
        case op_tex: elka_gl_tex_coord2f(c.a, c.b); break;
        case op_line_width: elka_gl_line_width(c.a); break;
        case op_translate: elka_gl_translatef(c.a, c.b, c.c); break;
        case op_rotate: elka_gl_rotatef(c.a, c.b, c.c, c.d); break;
        }
    }
    --subset.lists.replay_depth;
}

bool known_mode(GLenum mode)
{
    return mode == GL_TRIANGLES || mode == GL_TRIANGLE_STRIP || mode == GL_TRIANGLE_FAN || mode == GL_QUADS ||
           mode == GL_LINES || mode == GL_LINE_STRIP;
}

// One vertex as recorded: in the list's space, with its colour and texture
// coordinate where the list set them (below 0 / 1: the call's).
struct Recorded {
    float position[3];
    float colour[4];
    float tex[2];
    bool tex_from_call;
};

ListVertex fill_vertex(const Recorded& r)
{
    ListVertex v = {};
    for (int i = 0; i < 3; ++i)
        v.position[i] = r.position[i];
    for (int i = 0; i < 4; ++i)
        v.colour[i] = r.colour[i];
    v.tex[0] = r.tex[0];
    v.tex[1] = r.tex[1];
    v.corner[3] = r.tex_from_call ? 1.0f : 0.0f;
    return v;
}

// The quad of the segment from a to b, as two triangles: each corner holds
// its own end and the other, and the program places it.
void add_line_quad(const Recorded& a, const Recorded& b, float width, std::vector<ListVertex>* out)
{
    auto corner = [&](const Recorded& end, const Recorded& other, bool first, float across) {
        ListVertex v = fill_vertex(end);
        for (int i = 0; i < 3; ++i)
            v.other[i] = other.position[i];
        v.corner[0] = first ? 1.0f : -1.0f;
        v.corner[1] = across;
        v.corner[2] = width;
        return v;
    };
    const ListVertex q[4] = {corner(a, b, true, -1.0f), corner(b, a, false, -1.0f), corner(b, a, false, 1.0f),
                             corner(a, b, true, 1.0f)};
    for (int i : {0, 1, 2, 0, 2, 3})
        out->push_back(q[i]);
}

void add_piece(DisplayList* list, std::size_t first, bool lines)
{
    const std::size_t end = subset.list_store.vertices.size();
    if (end == first)
        return;
    if (!list->pieces.empty() && list->pieces.back().lines == lines &&
        list->pieces.back().first + list->pieces.back().count == first) {
        list->pieces.back().count += end - first;
        return;
    }
    list->pieces.push_back(ListPiece{first, end - first, lines});
}

// What compiling a list's calls has reached: the primitive being recorded,
// the calls' matrix and the attributes a vertex takes.
struct Compilation {
    DisplayList* list;
    std::vector<ListVertex>& store;
    Matrix local = identity_matrix();
    bool moved = false;
    Recorded current = {{0, 0, 0}, {-1.0f, 0, 0, 0}, {0, 0}, true};
    float width = -1.0f; // the call's
    bool inside = false;
    GLenum mode = 0;
    std::vector<Recorded> primitive{};
    std::vector<GLuint> indices{};
};

bool begin_primitive(Compilation* s, GLenum mode)
{
    if (s->inside || !known_mode(mode))
        return false;
    s->inside = true;
    s->mode = mode;
    s->primitive.clear();
    return true;
}

// Lines and line strips: a quad for each segment, in the call's width
// unless the list set one.
void compile_lines(Compilation* s)
{
    const std::size_t first = s->store.size();
    const std::size_t step = s->mode == GL_LINES ? 2 : 1;
    for (std::size_t i = 0; i + 1 < s->primitive.size(); i += step)
        add_line_quad(s->primitive[i], s->primitive[i + 1], s->width, &s->store);
    add_piece(s->list, first, true);
}

// Triangles, strips, fans and quads: the vertices of their triangles.
void compile_triangles(Compilation* s)
{
    const std::size_t first = s->store.size();
    s->indices.clear();
    triangle_indices(s->mode, 0, s->primitive.size(), &s->indices);
    for (GLuint i : s->indices)
        s->store.push_back(fill_vertex(s->primitive[i]));
    add_piece(s->list, first, false);
}

bool end_primitive(Compilation* s)
{
    if (!s->inside)
        return false;
    s->inside = false;
    if (s->mode == GL_LINES || s->mode == GL_LINE_STRIP)
        compile_lines(s);
    else
        compile_triangles(s);
    return true;
}

// A vertex in the list's space: moved by the list's own matrix calls.
bool add_vertex(Compilation* s, const ListCall& c)
{
    if (!s->inside)
        return false;
    Recorded v = s->current;
    const float* m = s->local.m;
    for (int r = 0; r < 3; ++r)
        v.position[r] = s->moved ? m[r] * c.a + m[4 + r] * c.b + m[8 + r] * c.c + m[12 + r]
                                 : (r == 0 ? c.a : r == 1 ? c.b : c.c);
    s->primitive.push_back(v);
    return true;
}

// Colour, normal, texture coordinate and line width: taken by the vertices
// after them, and kept as what the list leaves behind.
void set_attribute(Compilation* s, const ListCall& c)
{
    DisplayList* list = s->list;
    switch (c.op) {
    case op_colour:
        list->sets_colour = true;
        list->colour[0] = c.a;
        list->colour[1] = c.b;
        list->colour[2] = c.c;
        list->colour[3] = c.d;
        for (int i = 0; i < 4; ++i)
            s->current.colour[i] = clamped(list->colour[i]);
        break;
    case op_normal:
        list->sets_normal = true;
        list->normal[0] = c.a;
        list->normal[1] = c.b;
        list->normal[2] = c.c;
        break;
    case op_tex:
        list->sets_tex = true;
        list->tex[0] = s->current.tex[0] = c.a;
        list->tex[1] = s->current.tex[1] = c.b;
        s->current.tex_from_call = false;
        break;
    case op_line_width:
        if (c.a > 0.0f) {
            list->sets_width = true;
            list->width = s->width = c.a;
        }
        break;
    }
}

// A translation or rotation between primitives: applied to the vertices
// after it, and made again on the current matrix at each call.
bool add_matrix_call(Compilation* s, const ListCall& c)
{
    if (s->inside)
        return false;
    if (c.op == op_translate)
        translate_matrix(s->local, c.a, c.b, c.c);
    else
        rotate_matrix(s->local, c.a, c.b, c.c, c.d);
    s->list->matrix_calls.push_back(c);
    s->moved = true;
    return true;
}

bool compile_call(Compilation* s, const ListCall& c)
{
    switch (c.op) {
    case op_begin: return begin_primitive(s, static_cast<GLenum>(c.a));
    case op_end: return end_primitive(s);
    case op_vertex: return add_vertex(s, c);
    case op_translate:
    case op_rotate: return add_matrix_call(s, c);
    default: set_attribute(s, c); return true;
    }
}

// Compiles the recording into vertices at the end of the store. False
// where it is not one the compiler takes; the store is then as before.
bool compile(DisplayList* list)
{
    Compilation s{list, subset.list_store.vertices};
    const std::size_t start = s.store.size();
    bool taken = true;
    for (std::size_t i = 0; taken && i < list->calls.size(); ++i)
        taken = compile_call(&s, list->calls[i]);
    if (taken && !s.inside)
        return true;
    s.store.resize(start);
    list->pieces.clear();
    return false;
}

void draw(const DisplayList& list)
{
    if (!list.compiled || (!list.matrix_calls.empty() && subset.matrix_mode != GL_MODELVIEW)) {
        replay(list);
        return;
    }
    if (!list.pieces.empty()) {
        ListInstance call;
        const Matrix& m = subset.modelview.back();
        for (int i = 0; i < 16; ++i)
            call.modelview[i] = m.m[i];
        for (int i = 0; i < 4; ++i)
            call.colour[i] = subset.clamped_colour[i];
        call.tex_line[0] = subset.tex[0];
        call.tex_line[1] = subset.tex[1];
        call.tex_line[2] = subset.line_width;
        call.tex_line[3] = subset.line_smooth ? 1.0f : 2.0f;
        for (const ListPiece& p : list.pieces)
            batch_list_piece(p.first, p.count, p.lines, call);
    }
    // What the calls leave behind them.
    if (list.sets_colour)
        elka_gl_color4f(list.colour[0], list.colour[1], list.colour[2], list.colour[3]);
    if (list.sets_normal)
        elka_gl_normal3f(list.normal[0], list.normal[1], list.normal[2]);
    if (list.sets_tex)
        elka_gl_tex_coord2f(list.tex[0], list.tex[1]);
    if (list.sets_width)
        elka_gl_line_width(list.width);
    for (const ListCall& c : list.matrix_calls) {
        if (c.op == op_translate)
            elka_gl_translatef(c.a, c.b, c.c);
        else
            elka_gl_rotatef(c.a, c.b, c.c, c.d);
    }
}

std::size_t vertex_count(const DisplayList& list)
{
    std::size_t n = 0;
    for (const ListPiece& p : list.pieces)
        n += p.count;
    return n;
}

// Drops the vertices of lists compiled again or deleted once they are
// most of the store: every live list's are moved down, and what was
// batched from the old places is drawn first.
void compact_store()
{
    if (subset.lists.dead_vertices < 4096 || subset.lists.dead_vertices * 2 < subset.list_store.vertices.size())
        return;
    gles_flush_batch();
    std::vector<ListVertex> kept;
    kept.reserve(subset.list_store.vertices.size() - subset.lists.dead_vertices);
    for (auto& entry : subset.lists.by_name)
        for (ListPiece& p : entry.second.pieces) {
            const std::size_t first = kept.size();
            kept.insert(kept.end(), subset.list_store.vertices.begin() + static_cast<std::ptrdiff_t>(p.first),
                        subset.list_store.vertices.begin() + static_cast<std::ptrdiff_t>(p.first + p.count));
            p.first = first;
        }
    subset.list_store.vertices.swap(kept);
    ++subset.list_store.generation;
    subset.lists.dead_vertices = 0;
}

void forget(DisplayList& list)
{
    subset.lists.dead_vertices += vertex_count(list);
    list = DisplayList{};
}

} // namespace

void forget_lists()
{
    subset.lists = ListsState{};
    subset.compiling = 0;
    subset.list_store.vertices.clear();
    ++subset.list_store.generation;
}

void record_call(int op, float a, float b, float c, float d)
{
    subset.lists.recording.push_back(ListCall{op, a, b, c, d});
}

GLuint elka_gl_gen_lists(GLsizei range)
{
    if (range <= 0)
        return 0;
    const GLuint first = subset.lists.next_list;
    subset.lists.next_list += static_cast<GLuint>(range);
    for (GLuint i = first; i < subset.lists.next_list; ++i)
        subset.lists.by_name[i].compiled = true; // reserved: a list of no calls until compiled
    return first;
}

void elka_gl_delete_lists(GLuint list, GLsizei range)
{
    for (GLsizei i = 0; i < range; ++i) {
        auto found = subset.lists.by_name.find(list + static_cast<GLuint>(i));
        if (found == subset.lists.by_name.end())
            continue;
        subset.lists.dead_vertices += vertex_count(found->second);
        subset.lists.by_name.erase(found);
    }
    compact_store();
}

void elka_gl_new_list(GLuint list, GLenum mode)
{
    if (mode != GL_COMPILE || list == 0 || subset.compiling != 0) {
        outside_subset("glNewList", mode);
        return;
    }
    subset.compiling = list;
    subset.lists.recording.clear();
}

void elka_gl_end_list()
{
    if (subset.compiling == 0) {
        outside_subset("glEndList", 0);
        return;
    }
    DisplayList& list = subset.lists.by_name[subset.compiling];
    forget(list);
    list.calls = subset.lists.recording;
    const std::size_t before = subset.list_store.vertices.size();
    list.compiled = compile(&list);
    if (subset.list_store.vertices.size() != before)
        ++subset.list_store.generation;
    subset.lists.recording.clear();
    subset.compiling = 0;
    compact_store();
}

void elka_gl_call_list(GLuint list)
{
    if (compiling_list()) {
        outside_subset("glCallList in a list", list);
        return;
    }
    auto found = subset.lists.by_name.find(list);
    if (found == subset.lists.by_name.end())
        return; // calling a list that was never made does nothing
    draw(found->second);
}

void elka_gl_call_lists(GLsizei n, GLenum type, const GLvoid* names)
{
    if (type != GL_UNSIGNED_BYTE) {
        outside_subset("glCallLists", type);
        return;
    }
    const GLubyte* bytes = static_cast<const GLubyte*>(names);
    for (GLsizei i = 0; i < n; ++i)
        elka_gl_call_list(subset.list_base + bytes[i]);
}

void elka_gl_list_base(GLuint base) { subset.list_base = base; }

void elka_gl_push_attrib(GLbitfield mask)
{
    if (mask != GL_LIST_BIT) {
        outside_subset("glPushAttrib", mask);
        return;
    }
    subset.list_base_stack.push_back(subset.list_base);
}

void elka_gl_pop_attrib()
{
    if (subset.list_base_stack.empty()) {
        outside_subset("glPopAttrib", 0);
        return;
    }
    subset.list_base = subset.list_base_stack.back();
    subset.list_base_stack.pop_back();
}
