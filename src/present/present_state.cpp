// The present layer's state, with the values a run starts from.
#include "present/present_state.h"

PresentState present;
