// The counter behind the frame timer replaced by one the caller drives (the
// tests' scripted counter, the capture tool's frame clock). A file of its
// own, so a tool that only drives time links nothing else of the seam.
#include "platform/host.h"

void platform_set_counter_source(const CounterSource* source) { counter_source = source; }
