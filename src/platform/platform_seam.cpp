// Where the testing seam plugs in (window_internal.h): null in the demo, in
// a unit of its own so that a program that takes only some of the face's
// units (message boxes, say) has it too.
#include "platform/window_internal.h"

const PlatformSeam* platform_seam = nullptr;
