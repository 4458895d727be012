// The host library's state, with the values a process starts from.
#include "platform/host/host_state.h"

HostState host;
