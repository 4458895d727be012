// The two pieces of geometry the effects draw many times a frame, compiled
// once into display lists: the flat hexagon of the honeycomb and the fading
// arc of the swarm.
#include "resources/display_lists.h"

#include <cmath>
#include <malloc.h>

namespace {

// Why the lists are compiled only after this, and what it has to do with
// replaying them (Mesa 22.3, llvmpipe):
//
// Every call of a list here follows a change of the modelview matrix (and
// of the colour), and so does every glyph of a text. The new matrix makes
// the draw module flush (draw_set_mapped_constant_buffer ->
// draw_do_flush); with GL_LINE_SMOOTH on, its anti-aliased line stage is
// in the pipeline and its flush (draw_pipe_aaline.c, aaline_flush) binds
// the fragment shader and rasterizer state again; llvmpipe then counts the
// fragment state as new (lp_setup.c, try_update_scene_state) and, since
// its stored copy never compares equal to the current one (the stored copy
// gets its own aniso_filter_table pointer), copies the whole fragment
// state, 33,080 bytes, into the frame's bin memory: about 10.7 MB a frame
// for the 323 hexagons of the honeycomb. That memory comes from malloc in
// 64 KiB blocks and is freed when the frame has been rasterized; glibc then
// gives the freed top of its heap back to the kernel (trim threshold
// 128 KiB), so the next frame writes the same copies into fresh pages and
// pays a page fault for each 4 KiB: that, not the list, was most of the
// honeycomb's frame time.
//
// Which lists were compiled before decided it only by accident: compiling
// a large list makes Mesa's list compiler (vbo_save_api.c) allocate and
// free buffers above glibc's mmap threshold, and freeing such a buffer
// raises glibc's dynamic trim threshold, so the bin memory then stayed.
// Instead of relying on that, the process keeps freed heap memory up to
// 32 MiB before trimming, and serves allocations up to 4 MiB from the heap
// (setting these also stops glibc from moving its thresholds on its own).
// What is drawn, and the calls a frame makes, stay exactly the same.
void keep_replay_memory()
{
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 32 << 20);
}

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
    glNewList(resources.arc_list, GL_COMPILE);
    // Recorded in the list: every call of the arc sets the width again.
    glLineWidth(1.6f);
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
}
