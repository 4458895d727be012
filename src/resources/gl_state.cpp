// Baseline GL state and fog: what the first frame starts from.
#include "resources/gl_state.h"

#include "effects/star_field.h"
#include "resources/display_lists.h"
#include "resources/outline_font.h"
#include "resources/textures.h"

#include <GL/gl.h>

const float fog_color[4] = {0.0f, 0.0f, 0.0f, 1.0f};

void setup_fog()
{
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, fog_color);
    glFogf(GL_FOG_DENSITY, 0.25f);
    glHint(GL_FOG_HINT, GL_NICEST);
    glFogf(GL_FOG_START, 0.0f);
    glFogf(GL_FOG_END, 30.0f);
}

void set_baseline_gl_state()
{
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS); // drawing order decides what covers what
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_LINE_SMOOTH);
    setup_fog();
}

bool create_gl_resources()
{
    bool textures = load_textures();
    build_display_lists();
    build_font();
    return textures;
}

bool init_gl()
{
    if (!load_textures())
        return false;
    build_display_lists();
    build_font();
    set_baseline_gl_state();
    init_stars();
    return true;
}
