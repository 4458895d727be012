// The intro words: one word drifting right and fading in and out on a clock
// of its own, seen through the opening of a translucent white window frame.
// The word's clock, handed in by the timeline, tells it when the scene ends.
#include "effects/intro_words.h"

#include "resources/outline_font.h"
#include "shared/shared_state.h"

#include <GL/gl.h>

bool draw_intro_word(float x, float y, float limit, float rate, const char* text, float& c)
{
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(x + c, y, -10.01f);
    // A parabola over the word's life: 0 at the start and at the limit,
    // above 1 in the middle; GL clamps it.
    glColor4f(0.0f, 0.0f, 0.0f, c * (limit - c) * 0.5f);
    // The word is drawn as it stands, never read as a format.
    if (text)
        print_text("%s", text);
    glLoadIdentity();
    // Tested after drawing and before the advance, so the frame that finds
    // the clock past the limit still draws the (by then invisible) word.
    // The clock goes on in that frame too: the timeline takes the limit off
    // and carries the rest into the next scene.
    const bool finished = c > limit;
    c += shared.frame_timer->frame_delta() * rate;
    glPopMatrix();
    return finished;
}

void draw_window_frame(float x1, float y1, float x2, float y2)
{
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, -8.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 0.7f);
    // Four bands around the opening, reaching far past the edges of the view.
    glBegin(GL_QUADS);
    glVertex3f(-100.0f, 100.0f, 0.0f);
    glVertex3f(x1, 100.0f, 0.0f);
    glVertex3f(x1, -100.0f, 0.0f);
    glVertex3f(-100.0f, -100.0f, 0.0f);

    glVertex3f(x1, 100.0f, 0.0f);
    glVertex3f(x2, 100.0f, 0.0f);
    glVertex3f(x2, y2, 0.0f);
    glVertex3f(x1, y2, 0.0f);

    glVertex3f(x1, y1, 0.0f);
    glVertex3f(x2, y1, 0.0f);
    glVertex3f(x2, -100.0f, 0.0f);
    glVertex3f(x1, -100.0f, 0.0f);

    glVertex3f(x2, 100.0f, 0.0f);
    glVertex3f(100.0f, 100.0f, 0.0f);
    glVertex3f(100.0f, -100.0f, 0.0f);
    glVertex3f(x2, -100.0f, 0.0f);
    glEnd();

    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    glLineWidth(2.0f * resources.line_scale);
    glBegin(GL_LINES);
    glVertex3f(x1, y2, 0.0f);
    glVertex3f(x2, y2, 0.0f);
    glVertex3f(x2, y2, 0.0f);
    glVertex3f(x2, y1, 0.0f);
    glVertex3f(x2, y1, 0.0f);
    glVertex3f(x1, y1, 0.0f);
    glVertex3f(x1, y1, 0.0f);
    glVertex3f(x1, y2, 0.0f);
    glEnd();
    glPopMatrix();
}
