// The title over its eight translucent blue blocks, and the triangle field:
// a honeycomb of white hexagons over the tunnel that turns edge-on and fades,
// leaving the tunnel with the title over it.
#include "effects/triangle_field.h"

#include "effects/tunnel.h"
#include "resources/display_lists.h"
#include "resources/outline_font.h"
#include "shared/shared_state.h"

#include <GL/gl.h>

#include <cmath>

namespace {
// Two opposite corners each, in drawing order; some give the right-hand
// corner first, which only changes the winding (culling is never on).
const float title_blocks[8][4] = {
    {-4.1f, 1.9f, -3.2f, 2.2f},  {-4.0f, -1.0f, -2.5f, 2.1f}, {-0.9f, -1.4f, -3.4f, 1.6f},
    {-0.2f, -0.4f, -1.9f, 1.8f}, {0.6f, -1.1f, -1.5f, 0.5f},  {2.5f, 0.4f, -0.2f, 2.1f},
    {4.0f, -1.2f, 0.55f, 1.2f},  {3.9f, 0.8f, 2.0f, 1.9f},
};

void draw_blocks()
{
    for (const auto& b : title_blocks)
        glRectf(b[0], b[1], b[2], b[3]);
}
} // namespace

void draw_title_blocks()
{
    glTranslatef(0.0f, 0.0f, -10.0f);
    glColor4f(0.0f, 0.0f, 0.5f, 0.5f);
    draw_blocks();
    glTranslatef(0.0f, 0.0f, 10.0f);
    glTranslatef(0.0f, -0.2f, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 0.7f);
    print_text("eLka");
    glTranslatef(0.0f, 0.2f, 0.0f);
}

void draw_triangle_field()
{
    draw_tunnel();

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);

    resources.hex_half_width = std::sqrt(0.75f);
    const float h = resources.hex_half_width;
    // field_spin holds four times the turn; the integer division keeps the
    // angle at whole degrees.
    const float turn = static_cast<float>(-(effects.field_spin / 4));
    const float alpha = 1.0f - shared.anim_clock;
    int unshifted = 1;
    for (int row = 0; row < 19; ++row) {
        for (int col = 0; col < 17; ++col) {
            glLoadIdentity();
            glRotatef(-45.0f, 0.0f, 0.0f, 1.0f);
            const float x = unshifted ? 2.0f * col * h - 14.0f : (2.0f * col + 1.0f) * h - 14.0f;
            const float y = 1.5f * row - 13.0f;
            glTranslatef(x, y, -20.0f);
            glRotatef(turn, 0.0f, 1.0f, 0.0f);
            glColor4f(1.0f, 1.0f, 1.0f, alpha);
            glCallList(resources.hexagon_list);
        }
        unshifted = !unshifted;
    }

    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -10.0f);
    glColor4f(0.0f, 0.0f, 0.5f, 0.5f - 0.5f * shared.anim_clock);
    draw_blocks();

    glLoadIdentity();
    glTranslatef(0.0f, -0.2f, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 0.7f);
    print_text("eLka");

    // Whole steps only: a frame shorter than 1/90 s does not turn the field.
    if (effects.field_spin < 360)
        effects.field_spin += static_cast<int>(shared.frame_timer->frame_delta() * 90.0f);
    glDisable(GL_BLEND);
}
