// The star field: fifty textured stars circling a point five units in, in a
// plane tilted 45 degrees, each drawn twice in two colours with additive
// blending; the second copy spins, so the stars twinkle. The records come
// from a fixed random sequence, so the field looks the same on every run.
#include "effects/star_field.h"

#include "resources/textures.h"
#include "resources/unit_quad.h"
#include "shared/shared_state.h"

#include <GL/gl.h>

StarRecord stars[50] = {};
float star_spin = 0.0f;
float star_zoom = -5.0f;
float star_tilt = 45.0f;

namespace {
// The look of the field depends on this exact sequence, which is not the
// rule of the C library's rand here, so the field keeps its own generator.
std::uint32_t star_rand_state = 1;

GLubyte low_byte(std::int32_t v) { return static_cast<GLubyte>(v & 0xFF); }
} // namespace

int star_rand()
{
    star_rand_state = star_rand_state * 214013u + 2531011u;
    return static_cast<int>((star_rand_state >> 16) & 0x7FFF);
}

void restart_star_rand() { star_rand_state = 1; }

void init_stars()
{
    for (int n = 0; n < 50; ++n) {
        const float f = static_cast<float>(n);
        StarRecord& s = stars[n];
        s.angle = static_cast<float>(star_rand() % 20) + (360.0f - f * 155.0f);
        s.distance = f * 0.02f * 6.0f + 0.4f;
        s.red = star_rand() % 256;
        s.green = star_rand() % 256;
        s.blue = star_rand() % 256;
    }
}

void draw_star_field()
{
    glBindTexture(GL_TEXTURE_2D, texture_ids[1]);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glPushMatrix();
    const float delta = frame_timer->frame_delta();
    for (int n = 0; n < 50; ++n) {
        StarRecord& s = stars[n];
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, star_zoom);
        glRotatef(star_tilt, 1.0f, 0.0f, 0.0f);
        // Out to the star's place on its circle, then turned back to face
        // the viewer.
        glRotatef(s.angle, 0.0f, 1.0f, 0.0f);
        glTranslatef(s.distance, 0.0f, 0.0f);
        glRotatef(-s.angle, 0.0f, 1.0f, 0.0f);
        glRotatef(-star_tilt, 1.0f, 0.0f, 0.0f);

        const StarRecord& mirror = stars[49 - n];
        glColor4ub(low_byte(mirror.red), low_byte(mirror.green), low_byte(mirror.blue), 255);
        draw_unit_quad();

        glRotatef(star_spin, 0.0f, 0.0f, 1.0f);
        glColor4ub(low_byte(s.red), low_byte(s.green), low_byte(s.blue), 255);
        draw_unit_quad();

        star_spin += 0.01f;
        // Partly per frame on purpose: the outer stars run faster the
        // higher the frame rate.
        s.angle = static_cast<float>(s.angle + (delta * 15.0f + n * 0.1));
        // Nothing makes a distance negative today; a star that ever got
        // there would come back further out, newly coloured.
        if (s.distance < 0.0f) {
            s.distance += 5.0f;
            s.red = star_rand() % 256;
            s.green = star_rand() % 256;
            s.blue = star_rand() % 256;
        }
    }
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}
