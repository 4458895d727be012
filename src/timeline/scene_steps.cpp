// The drawing steps the scenes share. Each sets exactly the state it says
// and leaves the rest as it found it; the matrix is left where the last
// call put it, since every scene loads its own identity before it draws.
#include "timeline/scene_steps.h"

#include "effects/spinning_swarm.h"
#include "resources/outline_font.h"
#include "timeline/timeline.h"

#include <GL/gl.h>

void set_white_background()
{
    glEnable(GL_BLEND);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
}

void draw_letterbox()
{
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -10.0f);
    glRectf(-100.0f, 2.0f, 100.0f, 20.0f);
    glRectf(-100.0f, -2.0f, 100.0f, -20.0f);

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glTranslatef(5.5f, 2.8f, 0.0f);
    print_text("eLka");

    glLoadIdentity();
    glTranslatef(2.0f, 0.0f, -2.0f);
    draw_spinning_swarm();
}

void draw_credit_pair(const char* name, const char* label)
{
    glLoadIdentity();
    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    glTranslatef(9.0f, shared.anim_clock - 4.5f, -20.0f);
    print_text("%s", name);
    // No identity here: the label rides on the matrix the name left.
    glTranslatef(9.0f, shared.anim_clock - 3.0f, -20.0f);
    print_text("%s", label);
}

void draw_text_line(const char* text, float x, float y, float alpha)
{
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -17.0f);
    glTranslatef(x, y, 0.0f);
    glColor4f(0.0f, 0.0f, 0.0f, alpha);
    print_text("%s", text);
}

void draw_black_backdrop()
{
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    glRectf(-40.0f, -40.0f, 40.0f, 40.0f);
    glColor4f(1.0f, 1.0f, 1.0f, shared.anim_clock * (4.0f - shared.anim_clock));
}
