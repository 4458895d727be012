// The schedule of the sequence: what each scene shows and how long it runs
// nominally, in seconds of frame time. The tools read it from here (the
// capture tool's chapters, captions and progress, the song's sections);
// it needs no GL, so a tool may use it without the rest of the timeline.
#pragma once

#include "shared/shared_state.h"

constexpr int scene_count = last_scene - first_scene + 1;

// What scene -1..22 shows, in a few words; "" for any other number.
const char* scene_title(int scene);

// Nominal length of scene -1..22 (the part of a frame by which its end
// overshoots is carried into the next scene, so the scenes keep these
// starts at any frame rate); 0 for any other number.
double scene_length_seconds(int scene);

// Where scene -1..22 starts nominally, from the first frame; a number past
// last_scene gives the end of the sequence, one before first_scene 0.
double scene_start_seconds(int scene);

// The whole sequence: about 151 seconds.
double nominal_length_seconds();
