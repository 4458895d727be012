// STAND-IN until the intro words land: the word's clock and the scene advance.
#include "effects/intro_words.h"

#include "app/entry.h"
#include "timeline/timeline.h"

int draw_intro_word(float x, float y, float limit, const char* text, int slot)
{
    (void)x;
    (void)y;
    (void)text;
    float& c = text_fade[slot];
    if (c > limit) {
        c = 0.0f;
        ++scene_index;
    } else {
        c += frame_timer->frame_delta() * 0.5f;
    }
    return 1;
}

int draw_window_frame(float x1, float y1, float x2, float y2)
{
    (void)x1;
    (void)y1;
    (void)x2;
    (void)y2;
    return 1;
}
