// Display lists: the calls made between glNewList and glEndList are
// recorded with their arguments and replayed through the same entry points,
// so a list draws exactly what the calls would draw and leaves the current
// colour, normal and matrix where the calls would leave them.
#include "gles/gles_internal.h"
#include "gles/subset_api.h"

#include <unordered_map>

namespace {

struct Call {
    int op;
    float a, b, c, d;
};

std::unordered_map<GLuint, std::vector<Call>> lists;
GLuint next_list = 1;
GLuint compiling = 0;
std::vector<Call> recording;
int replay_depth = 0;

void replay(GLuint list)
{
    auto found = lists.find(list);
    if (found == lists.end())
        return; // calling a list that was never made does nothing
    if (replay_depth > 0) {
        outside_subset("glCallList in a list", list);
        return;
    }
    ++replay_depth;
    for (const Call& c : found->second) {
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
    --replay_depth;
}

} // namespace

bool compiling_list() { return compiling != 0; }

void forget_lists()
{
    lists.clear();
    next_list = 1;
    compiling = 0;
    recording.clear();
}

void record_call(int op, float a, float b, float c, float d) { recording.push_back(Call{op, a, b, c, d}); }

GLuint elka_gl_gen_lists(GLsizei range)
{
    if (range <= 0)
        return 0;
    const GLuint first = next_list;
    next_list += static_cast<GLuint>(range);
    for (GLuint i = first; i < next_list; ++i)
        lists[i]; // reserved: a list of no calls until compiled
    return first;
}

void elka_gl_delete_lists(GLuint list, GLsizei range)
{
    for (GLsizei i = 0; i < range; ++i)
        lists.erase(list + static_cast<GLuint>(i));
}

void elka_gl_new_list(GLuint list, GLenum mode)
{
    if (mode != GL_COMPILE || list == 0 || compiling != 0) {
        outside_subset("glNewList", mode);
        return;
    }
    compiling = list;
    recording.clear();
}

void elka_gl_end_list()
{
    if (compiling == 0) {
        outside_subset("glEndList", 0);
        return;
    }
    lists[compiling] = recording;
    recording.clear();
    compiling = 0;
}

void elka_gl_call_list(GLuint list)
{
    if (compiling_list()) {
        outside_subset("glCallList in a list", list);
        return;
    }
    replay(list);
}

void elka_gl_call_lists(GLsizei n, GLenum type, const GLvoid* names)
{
    if (type != GL_UNSIGNED_BYTE) {
        outside_subset("glCallLists", type);
        return;
    }
    const GLubyte* bytes = static_cast<const GLubyte*>(names);
    for (GLsizei i = 0; i < n; ++i)
        elka_gl_call_list(layer.list_base + bytes[i]);
}

void elka_gl_list_base(GLuint base) { layer.list_base = base; }

void elka_gl_push_attrib(GLbitfield mask)
{
    if (mask != GL_LIST_BIT) {
        outside_subset("glPushAttrib", mask);
        return;
    }
    layer.list_base_stack.push_back(layer.list_base);
}

void elka_gl_pop_attrib()
{
    if (layer.list_base_stack.empty()) {
        outside_subset("glPopAttrib", 0);
        return;
    }
    layer.list_base = layer.list_base_stack.back();
    layer.list_base_stack.pop_back();
}
