// The table of scenes: one row per scene from first_scene to last_scene,
// in the order the demo shows them: the branch of render_frame that draws
// it, what it shows in a few words, its end rule and what its end sets back
// to 0. The scene script runs each branch by its row; the schedule (each
// scene's nominal length and start, which the tools and the song read) is
// derived from the rows. No GL: tools read it without the timeline.
#pragma once

#include "shared/shared_state.h"

// The branches of render_frame (scene_script.cpp).
enum class SceneBranch {
    start_picture,
    intro_word,
    title_blocks,
    triangle_field,
    tunnel,
    star_field,
    stars_to_white,
    bars_in_on_white,
    greeting,
    bars_to_black,
    end_card,
};

// Which clocks a scene's end sets back to 0.
enum class ResetSet {
    scene_clock_only, // scene -1
    word_clock,       // scenes 0 to 4: the word's clock, which the word itself sets back as it ends
    anim_clock_only,  // scene 5: scene_clock runs on into scene 6
    scene_and_anim,   // scenes 6 to 9
    four_clocks,      // scenes 10 to 22: scene_clock, anim_clock, text_fade[0], text_fade[1]
};

// The clock whose threshold ends a scene.
enum class EndClock {
    scene_clock,
    anim_clock,
    word_clock, // the intro word's own, text_fade[0]
};

// What each clock gains a second of frame time while the scene runs; 0 for
// a clock the scene leaves alone. The scene script advances its clocks by
// these, and the end of a scene carries the part of its last frame past
// the threshold into the next scene's clocks at the next scene's rates.
struct ClockRates {
    float scene_clock;
    float anim_clock;   // scene 5: only while scene_clock is below 4; scene 6: the honeycomb's fade, below 1
    float text_fade[2]; // [0]: the intro word's clock, or a text line's
    float tunnel_angle;
    float swarm_angle;
};

struct SceneRow {
    SceneBranch branch;
    const char* title;
    EndClock end_clock;
    float clock_from; // where the end clock stands when the scene starts
    float end_at;     // the scene ends on the frame that finds its clock here or past (the words: past)
    float rate;       // what the end clock gains a second of frame time
    ResetSet reset;
    ClockRates rates;
};

// The row of scene first_scene..last_scene; null for any other number.
const SceneRow* scene_row(int scene);
