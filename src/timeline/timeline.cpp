// The scene timeline: the state every scene runs on, the frame that clears
// and dispatches on scene_index, and the end-of-scene mechanism.
#include "timeline/timeline.h"

#include "timeline/scene_script.h"

#include <GL/gl.h>

float tick_frame_timer()
{
    shared.frame_timer->tick();
    return shared.frame_timer->frame_delta();
}

void end_scene(ResetSet reset)
{
    ++shared.scene_index;
    switch (reset) {
    case ResetSet::scene_clock_only:
        shared.scene_clock = 0.0f;
        break;
    case ResetSet::word_clock:
        shared.text_fade[0] = 0.0f;
        break;
    case ResetSet::anim_clock_only:
        shared.anim_clock = 0.0f;
        break;
    case ResetSet::scene_and_anim:
        shared.scene_clock = 0.0f;
        shared.anim_clock = 0.0f;
        break;
    case ResetSet::four_clocks:
        shared.scene_clock = 0.0f;
        shared.anim_clock = 0.0f;
        shared.text_fade[0] = 0.0f;
        shared.text_fade[1] = 0.0f;
        break;
    }
}

bool run_scene_clock(float delta, float length, ResetSet reset)
{
    advance_clock(shared.scene_clock, delta, 1.0f);
    if (shared.scene_clock >= length) {
        end_scene(reset);
        return true;
    }
    return false;
}

bool render_frame()
{
    // The clear colour is whatever the previous frame left, so a scene's
    // own clear colour shows from its second frame on.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // After the end (scene_index past last_scene): the clear only, no tick,
    // no clock.
    run_scene(shared.scene_index);
    return true;
}
