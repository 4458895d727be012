// The page's backend state, in a unit of its own: the programs that take
// the font units alone link it too.
#include "platform/web/web_backend.h"

WebBackendState web_backend;
