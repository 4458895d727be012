// STAND-IN until the scene timeline lands: clears, ticks, ends after 5 s.
#include "timeline/timeline.h"

#include "app/entry.h"

#include <GL/gl.h>

std::int32_t scene_index = -1;
float scene_clock = 0.0f;
float anim_clock = 0.0f;
float text_fade[5] = {};
float tunnel_angle = 0.0f;
float swarm_angle = 0.0f;

bool render_frame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    frame_timer->tick();
    scene_clock += frame_timer->frame_delta();
    if (scene_clock >= 5.0f)
        quit_requested = true;
    return true;
}
