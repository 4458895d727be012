// GLU's polygon tessellator on the page: libtess.js (SGI's tessellator in
// JavaScript) does the work at gluTessEndPolygon (tessellator_library.js),
// and what it reported (begin, vertex, end, edge flag, error, combine) is
// replayed here to the C callbacks in its order. A combine comes before
// any vertex that uses it, so its vertex data are known by then.
#include <GL/glu.h>

#include <vector>

#ifndef GLU_TESS_ERROR
#define GLU_TESS_ERROR 100103
#define GLU_TESS_EDGE_FLAG 100104
#define GLU_TESS_BEGIN_DATA 100106
#define GLU_TESS_VERTEX_DATA 100107
#define GLU_TESS_END_DATA 100108
#define GLU_TESS_ERROR_DATA 100109
#define GLU_TESS_EDGE_FLAG_DATA 100110
#define GLU_TESS_COMBINE_DATA 100111
#endif
#ifndef GLU_TESS_BOUNDARY_ONLY
#define GLU_TESS_BOUNDARY_ONLY 100141
#define GLU_TESS_TOLERANCE 100142
#endif
#ifndef GLU_TESS_WINDING_ODD
#define GLU_TESS_WINDING_ODD 100130
#define GLU_TESS_WINDING_ABS_GEQ_TWO 100134
#endif
#ifndef GLU_INVALID_ENUM
#define GLU_INVALID_ENUM 100900
#define GLU_INVALID_VALUE 100901
#endif

namespace {

// Shared with tessellator_library.js.
struct TessSettings {
    int winding_rule;
    int boundary_only;
    int wanted; // 1 begin, 2 vertex, 4 end, 8 edge flag, 16 error, 32 combine
    int command_count;
    double normal[3];
};

enum Command : int { begin_polygon = 0, begin_contour = 1, add_vertex = 2, end_contour = 3 };
enum Event : int {
    event_begin = 1,
    event_vertex = 2,
    event_end = 3,
    event_edge_flag = 4,
    event_error = 5,
    event_combine = 6
};

} // namespace

extern "C" {
int elka_tess_run(const TessSettings* settings, const double* coords, const int* commands, int vertex_count);
void elka_tess_take_events(double* out);
}

using BeginCallback = void(GLAPIENTRY*)(GLenum);
using BeginDataCallback = void(GLAPIENTRY*)(GLenum, void*);
using VertexCallback = void(GLAPIENTRY*)(void*);
using VertexDataCallback = void(GLAPIENTRY*)(void*, void*);
using EndCallback = void(GLAPIENTRY*)();
using EndDataCallback = void(GLAPIENTRY*)(void*);
using EdgeFlagCallback = void(GLAPIENTRY*)(GLboolean);
using EdgeFlagDataCallback = void(GLAPIENTRY*)(GLboolean, void*);
using ErrorCallback = void(GLAPIENTRY*)(GLenum);
using ErrorDataCallback = void(GLAPIENTRY*)(GLenum, void*);
using CombineCallback = void(GLAPIENTRY*)(GLdouble[3], void* [4], GLfloat[4], void**);
using CombineDataCallback = void(GLAPIENTRY*)(GLdouble[3], void* [4], GLfloat[4], void**, void*);

struct GLUtesselator {
    int winding_rule = GLU_TESS_WINDING_ODD;
    bool boundary_only = false;
    double normal[3] = {0.0, 0.0, 0.0};
    // A callback of the _DATA kind is called in place of the plain one.
    BeginCallback begin = nullptr;
    BeginDataCallback begin_data = nullptr;
    VertexCallback vertex = nullptr;
    VertexDataCallback vertex_data = nullptr;
    EndCallback end = nullptr;
    EndDataCallback end_data = nullptr;
    EdgeFlagCallback edge_flag = nullptr;
    EdgeFlagDataCallback edge_flag_data = nullptr;
    ErrorCallback error = nullptr;
    ErrorDataCallback error_data = nullptr;
    CombineCallback combine = nullptr;
    CombineDataCallback combine_data = nullptr;
    // The polygon being given: its calls in order, its vertices' places
    // and data.
    void* polygon_data = nullptr;
    std::vector<int> commands;
    std::vector<double> coords;
    std::vector<void*> vertex_data_of;
};

namespace {

void report_error(GLUtesselator* tess, GLenum code)
{
    if (tess->error_data)
        tess->error_data(code, tess->polygon_data);
    else if (tess->error)
        tess->error(code);
}

void clear_polygon(GLUtesselator* tess)
{
    tess->commands.clear();
    tess->coords.clear();
    tess->vertex_data_of.clear();
}

// The data of 1-based vertex `number` (0: none).
void* data_of(const std::vector<void*>& data, double number)
{
    std::size_t n = static_cast<std::size_t>(number);
    return n >= 1 && n <= data.size() ? data[n - 1] : nullptr;
}

void replay(GLUtesselator* tess, const std::vector<double>& events)
{
    std::vector<void*> data = tess->vertex_data_of;
    void* polygon = tess->polygon_data;
    std::size_t i = 0;
    while (i < events.size()) {
        int event = static_cast<int>(events[i++]);
        switch (event) {
        case event_begin: {
            GLenum type = static_cast<GLenum>(events[i++]);
            if (tess->begin_data)
                tess->begin_data(type, polygon);
            else if (tess->begin)
                tess->begin(type);
            break;
        }
        case event_vertex: {
            void* vertex = data_of(data, events[i++]);
            if (tess->vertex_data)
                tess->vertex_data(vertex, polygon);
            else if (tess->vertex)
                tess->vertex(vertex);
            break;
        }
        case event_end:
            if (tess->end_data)
                tess->end_data(polygon);
            else if (tess->end)
                tess->end();
            break;
        case event_edge_flag: {
            GLboolean flag = events[i++] != 0.0 ? GL_TRUE : GL_FALSE;
            if (tess->edge_flag_data)
                tess->edge_flag_data(flag, polygon);
            else if (tess->edge_flag)
                tess->edge_flag(flag);
            break;
        }
        case event_error: report_error(tess, static_cast<GLenum>(events[i++])); break;
        case event_combine: {
            if (i + 11 > events.size())
                return;
            GLdouble coords[3] = {events[i], events[i + 1], events[i + 2]};
            void* sources[4];
            GLfloat weights[4];
            for (int k = 0; k < 4; ++k) {
                sources[k] = data_of(data, events[i + 3 + k]);
                weights[k] = static_cast<GLfloat>(events[i + 7 + k]);
            }
            i += 11;
            void* made = nullptr;
            if (tess->combine_data)
                tess->combine_data(coords, sources, weights, &made, polygon);
            else if (tess->combine)
                tess->combine(coords, sources, weights, &made);
            data.push_back(made);
            break;
        }
        default: return; // not one of ours: the list is not to be trusted
        }
    }
}

} // namespace

extern "C" {

GLUtesselator* gluNewTess() { return new GLUtesselator; }

void gluDeleteTess(GLUtesselator* tess) { delete tess; }

void gluTessProperty(GLUtesselator* tess, GLenum which, GLdouble data)
{
    if (!tess)
        return;
    switch (which) {
    case GLU_TESS_WINDING_RULE: {
        int rule = static_cast<int>(data);
        if (static_cast<GLdouble>(rule) != data || rule < GLU_TESS_WINDING_ODD || rule > GLU_TESS_WINDING_ABS_GEQ_TWO)
            report_error(tess, GLU_INVALID_VALUE);
        else
            tess->winding_rule = rule;
        break;
    }
    case GLU_TESS_BOUNDARY_ONLY: tess->boundary_only = data != 0.0; break;
    case GLU_TESS_TOLERANCE: // libtess merges only coincident vertices, as SGI's does by default
        if (data < 0.0 || data > 1.0)
            report_error(tess, GLU_INVALID_VALUE);
        break;
    default: report_error(tess, GLU_INVALID_ENUM); break;
    }
}

void gluTessNormal(GLUtesselator* tess, GLdouble x, GLdouble y, GLdouble z)
{
    if (!tess)
        return;
    tess->normal[0] = x;
    tess->normal[1] = y;
    tess->normal[2] = z;
}

void gluTessCallback(GLUtesselator* tess, GLenum which, _GLUfuncptr callback)
{
    if (!tess)
        return;
    switch (which) {
    case GLU_TESS_BEGIN: tess->begin = reinterpret_cast<BeginCallback>(callback); break;
    case GLU_TESS_BEGIN_DATA: tess->begin_data = reinterpret_cast<BeginDataCallback>(callback); break;
    case GLU_TESS_VERTEX: tess->vertex = reinterpret_cast<VertexCallback>(callback); break;
    case GLU_TESS_VERTEX_DATA: tess->vertex_data = reinterpret_cast<VertexDataCallback>(callback); break;
    case GLU_TESS_END: tess->end = reinterpret_cast<EndCallback>(callback); break;
    case GLU_TESS_END_DATA: tess->end_data = reinterpret_cast<EndDataCallback>(callback); break;
    case GLU_TESS_EDGE_FLAG: tess->edge_flag = reinterpret_cast<EdgeFlagCallback>(callback); break;
    case GLU_TESS_EDGE_FLAG_DATA: tess->edge_flag_data = reinterpret_cast<EdgeFlagDataCallback>(callback); break;
    case GLU_TESS_ERROR: tess->error = reinterpret_cast<ErrorCallback>(callback); break;
    case GLU_TESS_ERROR_DATA: tess->error_data = reinterpret_cast<ErrorDataCallback>(callback); break;
    case GLU_TESS_COMBINE: tess->combine = reinterpret_cast<CombineCallback>(callback); break;
    case GLU_TESS_COMBINE_DATA: tess->combine_data = reinterpret_cast<CombineDataCallback>(callback); break;
    default: report_error(tess, GLU_INVALID_ENUM); break;
    }
}

void gluTessBeginPolygon(GLUtesselator* tess, GLvoid* data)
{
    if (!tess)
        return;
    tess->polygon_data = data;
    tess->commands.push_back(begin_polygon);
}

void gluTessBeginContour(GLUtesselator* tess)
{
    if (tess)
        tess->commands.push_back(begin_contour);
}

void gluTessVertex(GLUtesselator* tess, GLdouble* location, GLvoid* data)
{
    if (!tess || !location)
        return;
    tess->commands.push_back(add_vertex);
    tess->coords.insert(tess->coords.end(), location, location + 3);
    tess->vertex_data_of.push_back(data);
}

void gluTessEndContour(GLUtesselator* tess)
{
    if (tess)
        tess->commands.push_back(end_contour);
}

void gluTessEndPolygon(GLUtesselator* tess)
{
    if (!tess)
        return;
    TessSettings settings{};
    settings.winding_rule = tess->winding_rule;
    settings.boundary_only = tess->boundary_only ? 1 : 0;
    settings.wanted = ((tess->begin || tess->begin_data) ? 1 : 0) | ((tess->vertex || tess->vertex_data) ? 2 : 0)
        | ((tess->end || tess->end_data) ? 4 : 0) | ((tess->edge_flag || tess->edge_flag_data) ? 8 : 0)
        | ((tess->error || tess->error_data) ? 16 : 0) | ((tess->combine || tess->combine_data) ? 32 : 0);
    settings.command_count = static_cast<int>(tess->commands.size());
    for (int k = 0; k < 3; ++k)
        settings.normal[k] = tess->normal[k];
    int count = elka_tess_run(&settings, tess->coords.data(), tess->commands.data(),
                              static_cast<int>(tess->vertex_data_of.size()));
    std::vector<double> events(static_cast<std::size_t>(count > 0 ? count : 0));
    elka_tess_take_events(events.data());
    replay(tess, events);
    clear_polygon(tess);
    tess->polygon_data = nullptr;
}

} // extern "C"
