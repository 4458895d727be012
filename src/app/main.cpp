// eLka: a self-running real-time OpenGL demo. It takes no arguments.
#include "app/entry.h"

int main() { return win_main(); }
