// The shared process-wide state, with the values a run starts from.
#include "shared/shared_state.h"

SharedState shared;
