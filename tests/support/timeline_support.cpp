// Helpers for driving the scene timeline in tests.
#include "support/timeline_support.h"

#include "app/init_gl.h"
#include "resources/gl_state.h"
#include "timeline/scene_table.h"
#include "timeline/timeline.h"

TimelineWindow::TimelineWindow(int width, int height)
    : window(width, height)
{
    if (!window.ok())
        return;
    if (!init_gl())
        return;
    start_scripted_frame_timer();
    ready = true;
}

int skip_to_scene(int index, double frame_seconds)
{
    int frames = 0;
    while (shared.scene_index < index && frames < 1000) {
        draw_frame_after(frame_seconds);
        ++frames;
    }
    // What the long frames carried past the last scene's end goes back:
    // the scene starts from its clocks' start, as after a frame that ended
    // the scene before exactly on its threshold.
    if (const SceneRow* row = scene_row(shared.scene_index)) {
        shared.scene_clock = row->end_clock == EndClock::scene_clock ? row->clock_from : 0.0f;
        shared.anim_clock = 0.0f;
        shared.text_fade[0] = 0.0f;
        shared.text_fade[1] = 0.0f;
    }
    return frames;
}
