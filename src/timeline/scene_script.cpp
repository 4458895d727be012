// The contents of every scene, in the order the demo shows them. Each
// function is one branch of render_frame: it sets the GL state it needs and
// draws, ticks the frame timer once, advances its clocks by that frame's
// delta and ends its scene when the end clock reaches the threshold.
//
// GL state is never saved or restored here: each scene relies on what the
// scenes and effects before it left (clear colour, blend function, depth
// test, current colour), and a scene's clear colour shows from its next
// frame on.
#include "timeline/scene_script.h"

#include "effects/intro_words.h"
#include "effects/spinning_swarm.h"
#include "effects/star_field.h"
#include "effects/triangle_field.h"
#include "effects/tunnel.h"
#include "resources/outline_font.h"
#include "resources/textures.h"
#include "resources/unit_quad.h"
#include "timeline/scene_steps.h"
#include "timeline/timeline.h"

#include <GL/gl.h>

namespace {

// A text line's alpha: a parabola over its clock, 0 at 0 and again at
// zero_at, negative (drawn as nothing) beyond.
float line_alpha(float fade, float zero_at) { return fade * (zero_at - fade); }

} // namespace

// Scene -1: the start picture on black, unmodulated: no colour has been set
// yet, so GL's initial opaque white applies.
void show_start_picture()
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -4.0f);
    glBindTexture(GL_TEXTURE_2D, texture_ids[2]);
    glEnable(GL_TEXTURE_2D);
    draw_unit_quad();
    glDisable(GL_TEXTURE_2D);

    const float delta = tick_frame_timer();
    advance_clock(scene_clock, delta, 1.0f);
    if (scene_clock >= 6.0f)
        end_scene(ResetSet::scene_clock_only);
}

// Scenes 0 to 4: a word drifting behind a white window frame. The word's own
// clock (text_fade[1]) ends the scene, inside draw_intro_word.
namespace {
struct IntroWord {
    const char* word;
    float x, y;
    float x1, y1, x2, y2; // the frame's opening
};
const IntroWord intro_words[5] = {
    {"pigs..", 0.0f, 2.5f, 1.5f, 1.5f, 3.5f, 2.5f},
    {"ants..", -4.0f, -0.63f, -2.5f, -1.5f, -1.5f, 0.5f},
    {"goats..", 1.0f, 0.63f, 0.0f, 0.0f, 1.5f, 1.5f},
    {"chickens..", -4.5f, 0.63f, -3.0f, 0.0f, -2.5f, 3.0f},
    {"worms..", 1.0f, 0.63f, 1.0f, 0.0f, 2.5f, 0.5f},
};
} // namespace

void show_intro_word()
{
    const IntroWord& w = intro_words[scene_index];
    if (scene_index == 0) {
        // Scenes 1 to 4 live on this: identity, no texturing, white clear.
        glLoadIdentity();
        glDisable(GL_TEXTURE_2D);
        glClearColor(1.0f, 1.0f, 1.0f, 0.5f);
    }
    draw_intro_word(w.x, w.y, 3.0f, w.word, 1);
    draw_window_frame(w.x1, w.y1, w.x2, w.y2);

    tick_frame_timer();
}

// Scene 5: the title blocks and the title come forward for 4 seconds, then
// rest for one. scene_clock is not reset: scene 6 ends on it.
void bring_title_blocks_forward()
{
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, anim_clock - 20.0f);
    draw_title_blocks();

    const float delta = tick_frame_timer();
    if (scene_clock < 4.0f)
        advance_clock(anim_clock, delta, 5.0f);
    advance_clock(scene_clock, delta, 1.0f);
    if (scene_clock >= 5.0f)
        end_scene(ResetSet::anim_clock_only);
}

// Scene 6: the turning, fading honeycomb over the tunnel. The effect
// advances anim_clock itself; scene_clock goes on from scene 5's 5 to 9.
void show_triangle_field()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glDepthFunc(GL_ALWAYS);
    draw_triangle_field();

    const float delta = tick_frame_timer();
    advance_clock(tunnel_angle, delta, 40.0f);
    advance_clock(scene_clock, delta, 1.0f);
    if (scene_clock >= 9.0f)
        end_scene(ResetSet::scene_and_anim);
}

// Scene 7: the tunnel alone, with the title fading out over it in the first
// seconds and the tunnel itself fading out at the end.
void show_tunnel()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glDepthFunc(GL_ALWAYS);
    glColor4f(1.0f, 1.0f, 1.0f, 3.3f - anim_clock);
    draw_tunnel();

    glLoadIdentity();
    glTranslatef(0.0f, -0.2f, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 0.7f - anim_clock);
    print_text("eLka");
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    const float delta = tick_frame_timer();
    advance_clock(anim_clock, delta, 0.16666667f);
    advance_clock(tunnel_angle, delta, 40.0f);
    advance_clock(scene_clock, delta, 1.0f);
    if (scene_clock >= 20.0f)
        end_scene(ResetSet::scene_and_anim);
}

// Scene 8: the star field. Depth testing goes off here for the rest of the run.
void show_star_field()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glDisable(GL_DEPTH_TEST);
    draw_star_field();

    const float delta = tick_frame_timer();
    advance_clock(scene_clock, delta, 1.0f);
    if (scene_clock >= 10.0f)
        end_scene(ResetSet::scene_and_anim);
}

// Scene 9: the stars washing out to white. The white square adds over the
// stars because the star field's additive blend function is still set; the
// scene's end puts the normal one back for every later scene.
void wash_stars_out_to_white()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    draw_star_field();

    glEnable(GL_BLEND);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f * anim_clock);
    draw_unit_quad();

    const float delta = tick_frame_timer();
    advance_clock(anim_clock, delta, 0.5f);
    if (anim_clock >= 2.01f) {
        end_scene(ResetSet::scene_and_anim);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
}

// Scene 10: black bars close in from the edges of a white view and the swarm
// slides in, to the places draw_letterbox keeps from scene 11 on. Blending
// is still on from scene 9. The title is not printed here: at this scene's
// alpha it would stay fully transparent.
void close_bars_in_on_white()
{
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -10.0f);
    glRectf(-100.0f, 4.0f - anim_clock, 100.0f, 20.0f);
    glRectf(-100.0f, anim_clock - 4.0f, 100.0f, -20.0f);

    glLoadIdentity();
    glTranslatef(4.0f - anim_clock, 0.0f, -2.0f);
    draw_spinning_swarm();

    const float delta = tick_frame_timer();
    advance_clock(swarm_angle, delta, 25.0f);
    advance_clock(anim_clock, delta, 0.5f);
    advance_clock(scene_clock, delta, 1.0f);
    if (scene_clock >= 4.0f)
        end_scene(ResetSet::four_clocks);
}

// Scene 11: the first two lines of the greetings, fading in and out together.
void show_first_greetings()
{
    set_white_background();
    draw_letterbox();
    draw_text_line("I have this urge", -5.5f, 1.0f, line_alpha(text_fade[1], 2.4f) * 0.5f);
    draw_text_line("to give props to..", -5.5f, -1.0f, line_alpha(text_fade[2], 2.4f) * 0.5f);

    const float delta = tick_frame_timer();
    advance_clock(swarm_angle, delta, 25.0f);
    advance_clock(text_fade[1], delta, 0.3f);
    advance_clock(text_fade[2], delta, 0.3f);
    advance_clock(scene_clock, delta, 1.0f);
    if (scene_clock >= 8.0f)
        end_scene(ResetSet::four_clocks);
}

// Scene 12: the greeted group, on two lines.
void show_greeted_group()
{
    set_white_background();
    draw_letterbox();
    draw_text_line("Corvale Lumenworks", -5.5f, 1.0f, line_alpha(text_fade[1], 1.8f));
    draw_text_line("Collective", -5.5f, -1.0f, line_alpha(text_fade[2], 1.8f));

    const float delta = tick_frame_timer();
    advance_clock(swarm_angle, delta, 25.0f);
    advance_clock(text_fade[1], delta, 0.3f);
    advance_clock(text_fade[2], delta, 0.3f);
    advance_clock(scene_clock, delta, 1.0f);
    if (scene_clock >= 6.0f)
        end_scene(ResetSet::four_clocks);
}

// Scenes 13 to 18: one greeting each; 13, 15 and 17 also show a grey credit
// rising behind the letterbox.
namespace {
struct Greeting {
    const char* greeting;
    float credit_rate; // rate of anim_clock; 0 where the scene has no credit
};
const Greeting greetings[6] = {
    {"V a r n", 1.5f},        // 13: code/gfx
    {"t h e F o g", 0.0f},    // 14
    {"z e n o x", 1.5f},      // 15: sound system
    {"Tidy Moths", 0.0f},     // 16
    {"Silent Lattice", 1.7f}, // 17: music track
    {"W u m p s !", 0.0f},    // 18
};

// Scene 17's credit: unlike draw_credit_pair, the label is placed from the
// identity, at depth 30, and the name stands at x 8.
void draw_music_credit()
{
    glLoadIdentity();
    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    glTranslatef(8.0f, anim_clock - 4.5f, -20.0f);
    print_text("Amber Quarry");
    glLoadIdentity();
    glTranslatef(9.0f, anim_clock - 3.0f, -30.0f);
    print_text("music track:");
}
} // namespace

void show_one_greeting()
{
    const Greeting& g = greetings[scene_index - 13];
    set_white_background();
    switch (scene_index) {
    case 13: draw_credit_pair("pAxo", "code/gfx:"); break;
    case 15: draw_credit_pair("fmod", "SoundSys:"); break;
    case 17: draw_music_credit(); break;
    default: break;
    }
    draw_letterbox();
    draw_text_line(g.greeting, -5.5f, 0.0f, line_alpha(text_fade[1], 1.8f));

    const float delta = tick_frame_timer();
    if (g.credit_rate != 0.0f)
        advance_clock(anim_clock, delta, g.credit_rate);
    advance_clock(swarm_angle, delta, 25.0f);
    advance_clock(text_fade[1], delta, 0.3f);
    advance_clock(scene_clock, delta, 1.0f);
    if (scene_clock >= 6.0f)
        end_scene(ResetSet::four_clocks);
}

// Scene 19: everyone else. The first line's clock runs faster (0.35), so it
// is gone after about 5.14 seconds and stays invisible to the end.
void show_everyone_else()
{
    set_white_background();
    draw_letterbox();
    draw_text_line("the whole greek scene", -5.0f, 1.0f, line_alpha(text_fade[1], 1.8f));
    draw_text_line("and everyone I forgot", -5.0f, -1.0f, line_alpha(text_fade[2], 1.8f));

    const float delta = tick_frame_timer();
    advance_clock(swarm_angle, delta, 25.0f);
    advance_clock(text_fade[1], delta, 0.35f);
    advance_clock(text_fade[2], delta, 0.3f);
    advance_clock(scene_clock, delta, 1.0f);
    if (scene_clock >= 6.0f)
        end_scene(ResetSet::four_clocks);
}

// Scene 20: the bars close to black and the title fades out. The swarm keeps
// the turn scene 19 left it (swarm_angle stands still here).
void close_bars_to_black()
{
    set_white_background();
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -10.0f);
    glRectf(-100.0f, 2.0f - anim_clock, 100.0f, 20.0f);
    glRectf(-100.0f, anim_clock - 2.0f, 100.0f, -20.0f);

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f - 0.5f * anim_clock);
    glTranslatef(5.5f, 2.8f, 0.0f);
    print_text("eLka");

    glLoadIdentity();
    glTranslatef(2.0f, 0.0f, -2.0f);
    draw_spinning_swarm();

    const float delta = tick_frame_timer();
    advance_clock(anim_clock, delta, 0.5f);
    advance_clock(scene_clock, delta, 1.0f);
    if (scene_clock >= 4.0f)
        end_scene(ResetSet::four_clocks);
}

// Scenes 21 and 22: white text on black with a quick fade-in, a hold and a
// quick fade-out. The end of scene 22 ends the run.
void show_end_card()
{
    const bool last = scene_index == 22;
    glEnable(GL_BLEND);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -8.0f);
    draw_black_backdrop();
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -6.0f);
    print_text(last ? "F I N" : "/pAxo.");

    const float delta = tick_frame_timer();
    advance_clock(anim_clock, delta, 1.0f);
    advance_clock(scene_clock, delta, 1.0f);
    if (scene_clock >= 4.0f) {
        end_scene(ResetSet::four_clocks);
        if (last)
            quit_requested = true;
    }
}
