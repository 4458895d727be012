// What each scene of the sequence shows, for chapters and captions.
#pragma once

#include "shared/shared_state.h"

constexpr int scene_count = last_scene - first_scene + 1;

// The title of scene -1..22; "" for any other number.
const char* scene_title(int scene);
