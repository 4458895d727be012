// The scene timeline: the state every scene runs on, the frame that clears
// and dispatches on scene_index, and the end-of-scene mechanism.
#include "timeline/timeline.h"

#include "timeline/scene_script.h"

#include <GL/gl.h>

float tick_frame_timer()
{
    frame_timer->tick();
    return frame_timer->frame_delta();
}

void end_scene(ResetSet reset)
{
    ++scene_index;
    switch (reset) {
    case ResetSet::scene_clock_only:
        scene_clock = 0.0f;
        break;
    case ResetSet::anim_clock_only:
        anim_clock = 0.0f;
        break;
    case ResetSet::scene_and_anim:
        scene_clock = 0.0f;
        anim_clock = 0.0f;
        break;
    case ResetSet::four_clocks:
        scene_clock = 0.0f;
        anim_clock = 0.0f;
        text_fade[1] = 0.0f;
        text_fade[2] = 0.0f;
        break;
    }
}

bool render_frame()
{
    // The clear colour is whatever the previous frame left, so a scene's
    // own clear colour shows from its second frame on.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    switch (scene_index) {
    case -1: show_start_picture(); break;
    case 0:
    case 1:
    case 2:
    case 3:
    case 4: show_intro_word(); break;
    case 5: bring_title_blocks_forward(); break;
    case 6: show_triangle_field(); break;
    case 7: show_tunnel(); break;
    case 8: show_star_field(); break;
    case 9: wash_stars_out_to_white(); break;
    case 10: close_bars_in_on_white(); break;
    case 11: show_first_greetings(); break;
    case 12: show_greeted_group(); break;
    case 13:
    case 14:
    case 15:
    case 16:
    case 17:
    case 18: show_one_greeting(); break;
    case 19: show_everyone_else(); break;
    case 20: close_bars_to_black(); break;
    case 21:
    case 22: show_end_card(); break;
    default: break; // after the end: the clear only, no tick, no clock
    }
    return true;
}
