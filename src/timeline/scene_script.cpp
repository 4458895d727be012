// The contents of every scene, in the order the demo shows them, and at the
// end the dispatch from a scene's row (scene_table.h) to its branch. Each
// function is one branch of render_frame: it sets the GL state it needs and draws, ticks the
// frame timer once, advances its clocks by that frame's delta and ends its
// scene when the end clock reaches the threshold.
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
#include "timeline/scene_table.h"
#include "timeline/timeline.h"

#include <GL/gl.h>

namespace {

// The row of the scene being drawn: its end rule and reset set.
const SceneRow& row() { return *scene_row(shared.scene_index); }

// The end rule of the scenes that end on scene_clock at rate 1.
bool run_scene_end(float delta) { return run_scene_clock(delta, row().end_at, row().reset); }

// The clear colour of the scenes from the honeycomb on: black, alpha 0.
void clear_to_black() { glClearColor(0.0f, 0.0f, 0.0f, 0.0f); }

// A text line's alpha: a parabola over its clock, 0 at 0 and again at
// zero_at, negative (drawn as nothing) beyond.
float line_alpha(float fade, float zero_at) { return fade * (zero_at - fade); }

// Scene -1: the start picture on black, unmodulated: no colour has been set
// yet, so GL's initial opaque white applies.
void show_start_picture()
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -4.0f);
    glBindTexture(GL_TEXTURE_2D, resources.texture_ids[start_picture_slot]);
    glEnable(GL_TEXTURE_2D);
    draw_unit_quad();
    glDisable(GL_TEXTURE_2D);

    const float delta = tick_frame_timer();
    run_scene_end(delta);
}

// Scenes 0 to 4: a word drifting behind a white window frame. The word's own
// clock (text_fade[0]) ends the scene: draw_intro_word says when it is past
// the row's threshold, and the part past it goes on into the next scene.
struct IntroWord {
    const char* word;
    float x, y;
    float x1, y1, x2, y2; // the frame's opening
};
const IntroWord intro_words[5] = {
    {"pigs..", 0.0f, 2.5f, 1.5f, 1.5f, 3.5f, 2.5f},   {"ants..", -4.0f, -0.63f, -2.5f, -1.5f, -1.5f, 0.5f},
    {"goats..", 1.0f, 0.63f, 0.0f, 0.0f, 1.5f, 1.5f}, {"chickens..", -4.5f, 0.63f, -3.0f, 0.0f, -2.5f, 3.0f},
    {"worms..", 1.0f, 0.63f, 1.0f, 0.0f, 2.5f, 0.5f},
};

void show_intro_word()
{
    const IntroWord& w = intro_words[shared.scene_index];
    if (shared.scene_index == 0) {
        // Scenes 1 to 4 live on this: identity, no texturing, white clear.
        glLoadIdentity();
        glDisable(GL_TEXTURE_2D);
        glClearColor(1.0f, 1.0f, 1.0f, 0.5f);
    }
    const bool finished = draw_intro_word(w.x, w.y, row().end_at, row().rate, w.word, shared.text_fade[0]);
    draw_window_frame(w.x1, w.y1, w.x2, w.y2);

    tick_frame_timer();
    if (finished)
        end_scene(row().reset, (shared.text_fade[0] - row().end_at) / row().rate);
}

// Scene 5: the title blocks and the title come forward for 4 seconds, then
// rest for one. scene_clock is not reset: scene 6 ends on it.
void bring_title_blocks_forward()
{
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, shared.anim_clock - 20.0f);
    draw_title_blocks();

    const float delta = tick_frame_timer();
    if (shared.scene_clock < 4.0f)
        advance_clock(shared.anim_clock, delta, row().rates.anim_clock);
    run_scene_end(delta);
}

// Scene 6: the turning, fading honeycomb over the tunnel, fading on
// anim_clock; scene_clock goes on from scene 5's 5 to 9.
void show_triangle_field()
{
    clear_to_black();
    glDepthFunc(GL_ALWAYS);
    draw_triangle_field();
    // The honeycomb's fade climbs by the frame before's delta, to 1 and
    // just past it.
    if (shared.anim_clock < 1.0f)
        shared.anim_clock += shared.frame_timer->frame_delta() * row().rates.anim_clock;

    const float delta = tick_frame_timer();
    advance_clock(shared.tunnel_angle, delta, row().rates.tunnel_angle);
    run_scene_end(delta);
}

// Scene 7: the tunnel alone, with the title fading out over it in the first
// seconds and the tunnel itself fading out at the end.
void show_tunnel()
{
    clear_to_black();
    glDepthFunc(GL_ALWAYS);
    glColor4f(1.0f, 1.0f, 1.0f, 3.3f - shared.anim_clock);
    draw_tunnel();

    glLoadIdentity();
    glTranslatef(0.0f, -0.2f, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 0.7f - shared.anim_clock);
    print_text("eLka");
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    const float delta = tick_frame_timer();
    advance_clock(shared.anim_clock, delta, row().rates.anim_clock);
    advance_clock(shared.tunnel_angle, delta, row().rates.tunnel_angle);
    run_scene_end(delta);
}

// Scene 8: the star field. Depth testing goes off here for the rest of the run.
void show_star_field()
{
    clear_to_black();
    glDisable(GL_DEPTH_TEST);
    draw_star_field();

    const float delta = tick_frame_timer();
    run_scene_end(delta);
}

// Scene 9: the stars washing out to white. The white square adds over the
// stars because the star field's additive blend function is still set; the
// scene's end puts the normal one back for every later scene.
void wash_stars_out_to_white()
{
    clear_to_black();
    draw_star_field();

    glEnable(GL_BLEND);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f * shared.anim_clock);
    draw_unit_quad();

    const float delta = tick_frame_timer();
    advance_clock(shared.anim_clock, delta, row().rates.anim_clock);
    if (shared.anim_clock >= row().end_at) {
        end_scene(row().reset, (shared.anim_clock - row().end_at) / row().rate);
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
    glRectf(-100.0f, 4.0f - shared.anim_clock, 100.0f, 20.0f);
    glRectf(-100.0f, shared.anim_clock - 4.0f, 100.0f, -20.0f);

    glLoadIdentity();
    glTranslatef(4.0f - shared.anim_clock, 0.0f, -2.0f);
    draw_spinning_swarm();

    const float delta = tick_frame_timer();
    advance_clock(shared.swarm_angle, delta, row().rates.swarm_angle);
    advance_clock(shared.anim_clock, delta, row().rates.anim_clock);
    run_scene_end(delta);
}

// Scenes 11 to 19: the greetings between the bars of the letterbox, one
// row each. A row has one or two black lines fading in and out along the
// same parabola; scenes 13, 15 and 17 also show a grey credit rising behind
// the letterbox with anim_clock.
enum class Credit {
    none,
    on_name,      // draw_credit_pair: the label rides on the name's matrix
    from_identity // scene 17: both placed from the identity, apart
};
// The rates of the credit's anim_clock and of the lines' text_fade slots
// are in the scene's row.
struct TextLine {
    const char* text; // null: the scene has no second line
    float y;
};
struct Greeting {
    Credit credit;
    const char* credit_name;
    const char* credit_label;
    TextLine lines[2]; // text_fade[0] and text_fade[1]
    float x;           // both lines
    float zero_at;     // a line's alpha is back at 0 when its clock is here
    float alpha_scale;
};
const Greeting greetings[9] = {
    // 11: the first words, fading in and out together over 8 seconds
    {Credit::none, nullptr, nullptr, {{"I have this urge", 1.0f}, {"to give props to..", -1.0f}}, -5.5f, 2.4f, 0.5f},
    // 12: the greeted group
    {Credit::none, nullptr, nullptr, {{"Corvale Lumenworks", 1.0f}, {"Collective", -1.0f}}, -5.5f, 1.8f, 1.0f},
    // 13 to 18: one greeting each
    {Credit::on_name, "pAxo", "code/gfx:", {{"V a r n", 0.0f}, {}}, -5.5f, 1.8f, 1.0f},
    {Credit::none, nullptr, nullptr, {{"t h e F o g", 0.0f}, {}}, -5.5f, 1.8f, 1.0f},
    {Credit::on_name, "fmod", "SoundSys:", {{"z e n o x", 0.0f}, {}}, -5.5f, 1.8f, 1.0f},
    {Credit::none, nullptr, nullptr, {{"Tidy Moths", 0.0f}, {}}, -5.5f, 1.8f, 1.0f},
    {Credit::from_identity, "Amber Quarry", "music track:", {{"Silent Lattice", 0.0f}, {}}, -5.5f, 1.8f, 1.0f},
    {Credit::none, nullptr, nullptr, {{"W u m p s !", 0.0f}, {}}, -5.5f, 1.8f, 1.0f},
    // 19: everyone else, a little further left; the first line's clock runs
    // faster, so it is gone after about 5.14 seconds and stays invisible
    {Credit::none,
     nullptr,
     nullptr,
     {{"the whole greek scene", 1.0f}, {"and everyone I forgot", -1.0f}},
     -5.0f,
     1.8f,
     1.0f},
};

// Scene 17's credit: unlike draw_credit_pair, the label is placed from the
// identity, at depth 30, and the name stands at x 8.
void draw_credit_apart(const char* name, const char* label)
{
    glLoadIdentity();
    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    glTranslatef(8.0f, shared.anim_clock - 4.5f, -20.0f);
    print_text("%s", name);
    glLoadIdentity();
    glTranslatef(9.0f, shared.anim_clock - 3.0f, -30.0f);
    print_text("%s", label);
}

void show_greeting()
{
    const Greeting& g = greetings[shared.scene_index - 11];
    set_white_background();
    switch (g.credit) {
    case Credit::on_name: draw_credit_pair(g.credit_name, g.credit_label); break;
    case Credit::from_identity: draw_credit_apart(g.credit_name, g.credit_label); break;
    case Credit::none: break;
    }
    draw_letterbox();
    for (int i = 0; i < 2; ++i) {
        const TextLine& line = g.lines[i];
        if (line.text)
            draw_text_line(line.text, g.x, line.y, line_alpha(shared.text_fade[i], g.zero_at) * g.alpha_scale);
    }

    const ClockRates& rates = row().rates;
    const float delta = tick_frame_timer();
    if (rates.anim_clock != 0.0f)
        advance_clock(shared.anim_clock, delta, rates.anim_clock);
    advance_clock(shared.swarm_angle, delta, rates.swarm_angle);
    for (int i = 0; i < 2; ++i) {
        if (rates.text_fade[i] != 0.0f)
            advance_clock(shared.text_fade[i], delta, rates.text_fade[i]);
    }
    run_scene_end(delta);
}

// Scene 20: the bars close to black and the title fades out. The swarm keeps
// the turn scene 19 left it (swarm_angle stands still here).
void close_bars_to_black()
{
    set_white_background();
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -10.0f);
    glRectf(-100.0f, 2.0f - shared.anim_clock, 100.0f, 20.0f);
    glRectf(-100.0f, shared.anim_clock - 2.0f, 100.0f, -20.0f);

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f - 0.5f * shared.anim_clock);
    glTranslatef(5.5f, 2.8f, 0.0f);
    print_text("eLka");

    glLoadIdentity();
    glTranslatef(2.0f, 0.0f, -2.0f);
    draw_spinning_swarm();

    const float delta = tick_frame_timer();
    advance_clock(shared.anim_clock, delta, row().rates.anim_clock);
    run_scene_end(delta);
}

// Scenes 21 and 22: white text on black with a quick fade-in, a hold and a
// quick fade-out. The end of scene 22 ends the run.
void show_end_card()
{
    const bool last = shared.scene_index == last_scene;
    glEnable(GL_BLEND);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -8.0f);
    draw_black_backdrop();
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -6.0f);
    print_text(last ? "F I N" : "/pAxo.");

    const float delta = tick_frame_timer();
    advance_clock(shared.anim_clock, delta, row().rates.anim_clock);
    if (run_scene_end(delta) && last)
        shared.quit_requested = true;
}

} // namespace

void run_scene(int scene)
{
    const SceneRow* r = scene_row(scene);
    if (!r)
        return;
    switch (r->branch) {
    case SceneBranch::start_picture: show_start_picture(); break;
    case SceneBranch::intro_word: show_intro_word(); break;
    case SceneBranch::title_blocks: bring_title_blocks_forward(); break;
    case SceneBranch::triangle_field: show_triangle_field(); break;
    case SceneBranch::tunnel: show_tunnel(); break;
    case SceneBranch::star_field: show_star_field(); break;
    case SceneBranch::stars_to_white: wash_stars_out_to_white(); break;
    case SceneBranch::bars_in_on_white: close_bars_in_on_white(); break;
    case SceneBranch::greeting: show_greeting(); break;
    case SceneBranch::bars_to_black: close_bars_to_black(); break;
    case SceneBranch::end_card: show_end_card(); break;
    }
}
