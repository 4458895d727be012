// The star field: fifty textured stars circling a point five units in, in a
// plane tilted 45 degrees, each drawn twice in two colours with additive
// blending; the second copy spins, so the stars twinkle. The records come
// from a fixed random sequence, so the field looks the same on every run.
#include "effects/star_field.h"

#include "resources/textures.h"
#include "resources/unit_quad.h"
#include "shared/shared_state.h"

#include <GL/gl.h>

namespace {
GLubyte low_byte(std::int32_t v) { return static_cast<GLubyte>(v & 0xFF); }
} // namespace

int star_rand()
{
    effects.star_rand_state = effects.star_rand_state * 214013u + 2531011u;
    return static_cast<int>((effects.star_rand_state >> 16) & 0x7FFF);
}

void init_stars()
{
    for (int n = 0; n < 50; ++n) {
        const float f = static_cast<float>(n);
        StarRecord& s = effects.stars[n];
        s.angle = static_cast<float>(star_rand() % 20) + (360.0f - f * 155.0f);
        s.distance = f * 0.02f * 6.0f + 0.4f;
        s.red = star_rand() % 256;
        s.green = star_rand() % 256;
        s.blue = star_rand() % 256;
    }
}

void draw_star_field()
{
    glBindTexture(GL_TEXTURE_2D, resources.texture_ids[star_sprite_slot]);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glPushMatrix();
    const float delta = shared.frame_timer->frame_delta();
    for (int n = 0; n < 50; ++n) {
        StarRecord& s = effects.stars[n];
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, effects.star_zoom);
        glRotatef(effects.star_tilt, 1.0f, 0.0f, 0.0f);
        // Out to the star's place on its circle, then turned back to face
        // the viewer.
        glRotatef(s.angle, 0.0f, 1.0f, 0.0f);
        glTranslatef(s.distance, 0.0f, 0.0f);
        glRotatef(-s.angle, 0.0f, 1.0f, 0.0f);
        glRotatef(-effects.star_tilt, 1.0f, 0.0f, 0.0f);

        const StarRecord& mirror = effects.stars[49 - n];
        glColor4ub(low_byte(mirror.red), low_byte(mirror.green), low_byte(mirror.blue), 255);
        draw_unit_quad();

        glRotatef(effects.star_spin, 0.0f, 0.0f, 1.0f);
        glColor4ub(low_byte(s.red), low_byte(s.green), low_byte(s.blue), 255);
        draw_unit_quad();

        effects.star_spin += 0.01f;
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
