// init_gl: the start-up order of the GL resources and state. The star
// records are filled here, last, because the star generator's sequence is
// part of the run: nothing may draw from it before.
#include "app/init_gl.h"

#include "effects/star_field.h"
#include "resources/display_lists.h"
#include "resources/gl_state.h"
#include "resources/outline_font.h"
#include "resources/textures.h"

bool create_gl_resources()
{
    bool textures = load_textures();
    build_display_lists();
    build_font();
    return textures;
}

bool init_gl(InitGlObserver observer, void* context)
{
    auto walked = [&](InitGlStep step) {
        if (observer)
            observer(step, context);
    };
    bool textures = load_textures();
    walked(InitGlStep::textures);
    if (!textures)
        return false;
    build_display_lists();
    walked(InitGlStep::display_lists);
    build_font();
    walked(InitGlStep::font);
    set_baseline_gl_state();
    walked(InitGlStep::baseline_state);
    init_stars();
    walked(InitGlStep::stars);
    return true;
}
