// The two pieces of geometry the effects draw many times a frame, compiled
// once into display lists: the flat hexagon of the honeycomb and the fading
// arc of the swarm.
#include "resources/display_lists.h"

#include <cmath>
#include <malloc.h>

namespace {

// glibc keeps freed heap memory, so that the copies llvmpipe makes of its
// fragment state on every matrix change (with smoothed lines) land in pages
// already mapped, not in fresh ones: most of the honeycomb's frame time.
// What is drawn does not change (docs/notes.md, "Why the display lists
// keep the heap").
void keep_replay_memory()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 32 << 20);
#endif
}

// The design's 1.6 pixels of 600 lines, scaled to the picture the arc's
// list was recorded for.
float arc_line_width() { return 1.6f * resources.arc_line_scale; }

} // namespace

void build_display_lists()
{
    keep_replay_memory();
    resources.hexagon_list = glGenLists(1);
    glNewList(resources.hexagon_list, GL_COMPILE);
    resources.hex_half_width = std::sqrt(0.75f);
    const float s = resources.hex_half_width;
    // The rim, clockwise seen from +z, starting with the right-hand side;
    // each triangle fans from the centre to two neighbouring corners.
    const float rim[6][2] = {{s, 0.5f}, {s, -0.5f}, {0.0f, -1.0f}, {-s, -0.5f}, {-s, 0.5f}, {0.0f, 1.0f}};
    glBegin(GL_TRIANGLES);
    for (int t = 0; t < 6; ++t) {
        const float* a = rim[t];
        const float* b = rim[(t + 1) % 6];
        glNormal3f(0.0f, 0.0f, 1.0f);
        glVertex3f(0.0f, 0.0f, 0.0f);
        glVertex3f(a[0], a[1], 0.0f);
        glVertex3f(b[0], b[1], 0.0f);
    }
    glEnd();
    glEndList();

    resources.arc_list = glGenLists(1);
    record_arc_list();
}

void record_arc_list()
{
    resources.arc_line_scale = resources.line_scale;
    glNewList(resources.arc_list, GL_COMPILE);
    // Recorded in the list: every call of the arc sets the width again.
    glLineWidth(arc_line_width());
    glBegin(GL_LINE_STRIP);
    float last_alpha = 0.0f;
    for (int i = 0; i < resources.arc_segments; ++i) {
        const float a = static_cast<float>(i) * 6.2831855f / static_cast<float>(resources.arc_segments);
        const float y = static_cast<float>(std::sin(static_cast<double>(a)));
        // The colour is recorded for every step, also past the last vertex,
        // so the last step's colour is the one the list leaves current.
        glColor4f(0.0f, 0.0f, 0.0f, y);
        last_alpha = y;
        if (a >= 0.0f && a <= 1.0f)
            glVertex2f(static_cast<float>(std::cos(static_cast<double>(a))), y);
    }
    glEnd();
    // The same colour once more outside the strip: Mesa's list compiler
    // drops colours recorded after a primitive's last vertex, and the swarm
    // relies on the arc leaving its last colour current.
    if (resources.arc_segments > 0)
        glColor4f(0.0f, 0.0f, 0.0f, last_alpha);
    glEndList();
    resources.arc_last_alpha = last_alpha;
}

void call_arc_list()
{
    if (!resources.drawing_unseen) {
        glCallList(resources.arc_list);
        return;
    }
    glLineWidth(arc_line_width());
    if (resources.arc_segments > 0)
        glColor4f(0.0f, 0.0f, 0.0f, resources.arc_last_alpha);
}
