// The effects' state, with the values a run starts from.
#include "effects/effects_state.h"

EffectsState effects;
