// The spinning swarm: 81 copies of the fading arc, each turned into its own
// orientation about a common centre, chasing along their circles while the
// whole ball turns about its vertical axis.
#include "effects/spinning_swarm.h"

#include "resources/display_lists.h"
#include "shared/shared_state.h"

#include <GL/gl.h>

void draw_spinning_swarm()
{
    follow_arc_line_scale();
    glTranslatef(0.0f, 0.0f, -5.0f);
    glRotatef(shared.swarm_angle, 0.0f, 1.0f, 0.0f);
    for (int i = 0; i < 81; ++i) {
        const float about_x = 32.0f * static_cast<float>(i);
        const float about_y = 22.0f * static_cast<float>(i);
        const float about_z = 62.0f * static_cast<float>(i) + effects.swarm_phase;
        glRotatef(about_x, 1.0f, 0.0f, 0.0f);
        glRotatef(about_y, 0.0f, 1.0f, 0.0f);
        glRotatef(about_z, 0.0f, 0.0f, 1.0f);
        call_arc_list();
        // Inverse turns instead of a push and pop per copy.
        glRotatef(about_z, 0.0f, 0.0f, -1.0f);
        glRotatef(about_y, 0.0f, -1.0f, 0.0f);
        glRotatef(about_x, -1.0f, 0.0f, 0.0f);
    }
    // Back along the turned z axis: the caller's matrix is left turned by
    // swarm_angle about the ball's centre.
    glTranslatef(0.0f, 0.0f, 5.0f);
    // Per call, not per second: the arcs chase faster at higher frame rates.
    effects.swarm_phase += 0.8f;
}
