// The two geometry display lists: the flat hexagon and the fading arc.
#pragma once

#include "resources/resources_state.h"

void build_display_lists();
