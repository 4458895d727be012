// The schedule: one row per scene, its title and its nominal length. The
// lengths are those the scene script's end rules give: a scene ending on
// scene_clock runs its threshold, the intro words run their limit 3 at
// rate 0.5, scene 6 runs from scene 5's 5 to its own 9, and scene 9 ends
// when anim_clock at rate 0.5 reaches 2.01.
//
// Lengths are kept in whole milliseconds, so that every start and the
// total are exact sums and read back as the decimals written here.
#include "timeline/schedule.h"

namespace {

struct ScheduledScene {
    const char* title;
    int length_ms;
};

const ScheduledScene schedule[scene_count] = {
    {"the picture of files/load.bmp on black", 6000},                                // -1
    {"\"pigs..\" behind a window frame on white", 6000},                             // 0
    {"\"ants..\" behind a window frame on white", 6000},                             // 1
    {"\"goats..\" behind a window frame on white", 6000},                            // 2
    {"\"chickens..\" behind a window frame on white", 6000},                         // 3
    {"\"worms..\" behind a window frame on white", 6000},                            // 4
    {"title blocks and title coming forward", 5000},                                 // 5
    {"triangle field", 4000},                                                        // 6
    {"tunnel and title fading out", 20000},                                          // 7
    {"star field", 10000},                                                           // 8
    {"star field washing out to white", 4020},                                       // 9
    {"bars closing in on white, swarm sliding in", 4000},                            // 10
    {"\"I have this urge\" / \"to give props to..\"", 8000},                         // 11
    {"\"Corvale Lumenworks\" / \"Collective\"", 6000},                               // 12
    {"rising credit \"pAxo\" / \"code/gfx:\"; \"V a r n\"", 6000},                   // 13
    {"\"t h e F o g\"", 6000},                                                       // 14
    {"rising credit \"fmod\" / \"SoundSys:\"; \"z e n o x\"", 6000},                 // 15
    {"\"Tidy Moths\"", 6000},                                                        // 16
    {"rising credit \"Amber Quarry\" / \"music track:\"; \"Silent Lattice\"", 6000}, // 17
    {"\"W u m p s !\"", 6000},                                                       // 18
    {"\"the whole greek scene\" / \"and everyone I forgot\"", 6000},                 // 19
    {"bars closing to black, title fading out", 4000},                               // 20
    {"\"/pAxo.\" white on black", 4000},                                             // 21
    {"\"F I N\" white on black", 4000},                                              // 22
};

bool in_sequence(int scene) { return scene >= first_scene && scene <= last_scene; }

int start_ms(int scene)
{
    int ms = 0;
    for (int s = first_scene; s < scene && s <= last_scene; ++s)
        ms += schedule[s - first_scene].length_ms;
    return ms;
}

} // namespace

const char* scene_title(int scene) { return in_sequence(scene) ? schedule[scene - first_scene].title : ""; }

double scene_length_seconds(int scene)
{
    return in_sequence(scene) ? schedule[scene - first_scene].length_ms / 1000.0 : 0.0;
}

double scene_start_seconds(int scene) { return start_ms(scene) / 1000.0; }

double nominal_length_seconds() { return start_ms(last_scene + 1) / 1000.0; }
