// The schedule, derived from the scene table: a scene's nominal length is
// the time its end clock takes from where it starts to its threshold at its
// rate. Lengths are kept in whole milliseconds, so that every start and the
// total are exact sums and read back as the decimals a row's numbers give.
#include "timeline/schedule.h"

#include "timeline/scene_table.h"

#include <cmath>

namespace {

int length_ms(int scene)
{
    const SceneRow& row = *scene_row(scene);
    return static_cast<int>(std::lround((static_cast<double>(row.end_at) - row.clock_from) / row.rate * 1000.0));
}

bool in_sequence(int scene) { return scene >= first_scene && scene <= last_scene; }

int start_ms(int scene)
{
    int ms = 0;
    for (int s = first_scene; s < scene && s <= last_scene; ++s)
        ms += length_ms(s);
    return ms;
}

} // namespace

const char* scene_title(int scene) { return in_sequence(scene) ? scene_row(scene)->title : ""; }

double scene_length_seconds(int scene) { return in_sequence(scene) ? length_ms(scene) / 1000.0 : 0.0; }

double scene_start_seconds(int scene) { return start_ms(scene) / 1000.0; }

double nominal_length_seconds() { return start_ms(last_scene + 1) / 1000.0; }
