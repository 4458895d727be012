// The player: pause, jump and restart on the keys, and the start time of
// --start. A seek shows the frame the capture tool draws at that time: the
// scenes' state is stepped at the capture's rate from the nearest state
// kept by an earlier seek or a pause (or from the start), and the song goes
// on from the same time. Nothing here runs unless such a key or --start is used.
#pragma once

#include <cstddef>
#include <vector>

enum class PlayerRequest { none, pause, back, forth, restart, time };

// The capture tool's default rate: a seek lands on its frames.
constexpr int player_fps = 60;
constexpr double player_jump_seconds = 5.0;
// A state is kept every 2 s of the sequence passed while seeking: a seek
// then steps at most 120 frames, and the states (about 23 KB each) cost
// under 2 MB, however long the demo plays.
constexpr int player_kept_every = 2 * player_fps;
constexpr int player_kept_count = 80;

// A state kept for seeking (player.cpp).
struct KeptState;

// The app layer's share for the player (AppState::player).
struct PlayerState {
    PlayerState();
    ~PlayerState();
    PlayerState& operator=(PlayerState&&) noexcept;
    bool paused = false;
    double start_seconds = 0.0; // --start
    // The key's request, carried out by the frame loop.
    PlayerRequest request = PlayerRequest::none;
    double asked_seconds = 0.0; // PlayerRequest::time
    // The first state from start-up; player_kept_count of them from the
    // first seek or pause on, and never more.
    std::vector<KeptState> kept;
    bool all_kept = false; // every state up to the end is kept
    bool discarding = false; // stepping with the rasterizer off
};

// Keeps the state the first frame starts from (after init_gl, before any
// frame; the context current).
void player_keep_start();
// A key pressed (`repeated`: held down): true when it is one of the
// player's, whose request the frame loop then carries out.
bool player_key(unsigned virtual_key, bool repeated);
// A time asked for (the page's timeline), carried out as a key's request.
void player_ask_time(double seconds);
// Carries out the waiting request, in the frame loop with the context
// current.
void player_take_request();
// The sequence time now: what the clocks have summed.
double player_time();
// Puts the scenes at the capture's frame for `seconds` (0 and on; past the
// end, the end) and the song at the same time. Paused, the frame is shown
// and the player stays paused.
void player_seek(double seconds);
void player_set_paused(bool paused);
// Paused, the time the viewer waits keeps the next state ahead, so that a
// seek after it is short: one 2 s stretch a call (tens of milliseconds),
// the scenes then back where they stood. False when there is nothing left
// to keep.
bool player_keep_ahead();
// The states kept so far, and the memory they hold (all of it, valid or not).
int player_states_kept();
std::size_t player_kept_bytes();
