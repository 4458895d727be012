// Helpers for driving the scene timeline in tests.
#include "support/timeline_support.h"

#include "app/init_gl.h"
#include "resources/gl_state.h"
#include "timeline/timeline.h"

TimelineWindow::TimelineWindow(int width, int height) : window(width, height)
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
    return frames;
}

