// Puts every process-wide global of the system back to the value it has
// when the process starts, so that one test program can start the system
// again and again: before each test, the window is closed, the sound layer
// is shut, the seams are empty and every record, clock and name is as a
// fresh process has it.
#pragma once

void reset_system_state();
