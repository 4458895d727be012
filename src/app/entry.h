// Process entry: start-up in its fixed order, the frame loop with Escape and
// the F1 display toggle, and the shutdown.
#pragma once

#include "audio/music_player.h"
#include "shared/shared_state.h"

extern MusicPlayer music_player;

bool start_up();
// The frame loop. Returns false when reopening the window after F1 failed
// (the process then ends at once with status 0); otherwise true, with the
// exit status in *exit_status.
bool run_frame_loop(int* exit_status);
// Closes the window and reopens it in the other display mode.
bool toggle_display();
void shut_down();
// The whole run; returns the process exit status.
int win_main();
