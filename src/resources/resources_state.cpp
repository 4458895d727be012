// The resources' names, with the values a run starts from.
#include "resources/resources_state.h"

ResourcesState resources;
