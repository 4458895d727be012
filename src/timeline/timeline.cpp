// The scene timeline: the state every scene runs on, the frame that clears
// and dispatches on scene_index, and the end-of-scene mechanism.
#include "timeline/timeline.h"

#include "timeline/scene_script.h"

#include <GL/gl.h>

float tick_frame_timer()
{
    shared.frame_timer->tick();
    return shared.frame_timer->frame_delta();
}

namespace {

struct ClockRef {
    float* clock;
    float next_rate, ended_rate;
    bool reset;
};

bool resets(ResetSet set, const float* clock)
{
    switch (set) {
    case ResetSet::scene_clock_only: return clock == &shared.scene_clock;
    case ResetSet::word_clock: return clock == &shared.text_fade[0];
    case ResetSet::anim_clock_only: return clock == &shared.anim_clock;
    case ResetSet::scene_and_anim: return clock == &shared.scene_clock || clock == &shared.anim_clock;
    case ResetSet::four_clocks:
        return clock == &shared.scene_clock || clock == &shared.anim_clock || clock == &shared.text_fade[0]
            || clock == &shared.text_fade[1];
    }
    return false;
}

// The intro word's clock is advanced by the frame before's delta and tested
// before its advance, so it would end each word a frame late. Entering the
// words, the carry puts it ahead by the delta of the frame that ended the
// scene before; leaving them, that lead and the delta the first word took
// twice come off again, and the ending frame's own tick goes on, so the
// scenes after the words keep their nominal starts.
float across_the_words(const SceneRow& ended, const SceneRow& next, float surplus, float delta)
{
    const bool into = next.branch == SceneBranch::intro_word && ended.branch != SceneBranch::intro_word;
    const bool out_of = ended.branch == SceneBranch::intro_word && next.branch != SceneBranch::intro_word;
    if (into) {
        shared.word_clock_lead = 2.0f * delta;
        return surplus + delta;
    }
    if (out_of)
        return surplus + delta - shared.word_clock_lead;
    return surplus;
}

} // namespace

void end_scene(ResetSet reset, float surplus)
{
    const SceneRow* ended = scene_row(shared.scene_index);
    ++shared.scene_index;
    const SceneRow* next = scene_row(shared.scene_index);
    if (!ended || !next) {
        // The end of the sequence: nothing to carry into.
        shared.scene_clock = 0.0f;
        shared.anim_clock = 0.0f;
        shared.text_fade[0] = 0.0f;
        shared.text_fade[1] = 0.0f;
        return;
    }
    surplus = across_the_words(*ended, *next, surplus, shared.frame_timer->frame_delta());

    // The part of the ending frame past the threshold belongs to the next
    // scene: a clock the end sets back starts at that part times the next
    // scene's rate; a clock that runs on gives back what it gained at the
    // ended scene's rate and gains it at the next one's (the same rate: no
    // change at all).
    const ClockRates& was = ended->rates;
    const ClockRates& now = next->rates;
    const ClockRef clocks[] = {
        {&shared.scene_clock, now.scene_clock, was.scene_clock, resets(reset, &shared.scene_clock)},
        {&shared.anim_clock, now.anim_clock, was.anim_clock, resets(reset, &shared.anim_clock)},
        {&shared.text_fade[0], now.text_fade[0], was.text_fade[0], resets(reset, &shared.text_fade[0])},
        {&shared.text_fade[1], now.text_fade[1], was.text_fade[1], resets(reset, &shared.text_fade[1])},
        {&shared.tunnel_angle, now.tunnel_angle, was.tunnel_angle, false},
        {&shared.swarm_angle, now.swarm_angle, was.swarm_angle, false},
    };
    for (const ClockRef& c : clocks) {
        if (c.reset)
            *c.clock = surplus * c.next_rate;
        else if (c.next_rate != c.ended_rate)
            *c.clock += surplus * (c.next_rate - c.ended_rate);
    }
}

bool run_scene_clock(float delta, float length, ResetSet reset)
{
    advance_clock(shared.scene_clock, delta, 1.0f);
    if (shared.scene_clock >= length) {
        end_scene(reset, shared.scene_clock - length);
        return true;
    }
    return false;
}

bool render_frame()
{
    // The clear colour is whatever the previous frame left, so a scene's
    // own clear colour shows from its second frame on.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // After the end (scene_index past last_scene): the clear only, no tick,
    // no clock.
    run_scene(shared.scene_index);
    return true;
}
