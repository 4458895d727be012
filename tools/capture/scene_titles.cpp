// Scene titles, as the scene table describes them.
#include "scene_titles.h"

namespace {
const char* const titles[scene_count] = {
    "the picture of files/load.bmp on black",
    "\"pigs..\" behind a window frame on white",
    "\"ants..\" behind a window frame on white",
    "\"goats..\" behind a window frame on white",
    "\"chickens..\" behind a window frame on white",
    "\"worms..\" behind a window frame on white",
    "title blocks and title coming forward",
    "triangle field",
    "tunnel and title fading out",
    "star field",
    "star field washing out to white",
    "bars closing in on white, swarm sliding in",
    "\"I have this urge\" / \"to give props to..\"",
    "\"Corvale Lumenworks\" / \"Collective\"",
    "rising credit \"pAxo\" / \"code/gfx:\"; \"V a r n\"",
    "\"t h e F o g\"",
    "rising credit \"fmod\" / \"SoundSys:\"; \"z e n o x\"",
    "\"Tidy Moths\"",
    "rising credit \"Amber Quarry\" / \"music track:\"; \"Silent Lattice\"",
    "\"W u m p s !\"",
    "\"the whole greek scene\" / \"and everyone I forgot\"",
    "bars closing to black, title fading out",
    "\"/pAxo.\" white on black",
    "\"F I N\" white on black",
};
} // namespace

const char* scene_title(int scene)
{
    if (scene < first_scene || scene > last_scene)
        return "";
    return titles[scene - first_scene];
}
