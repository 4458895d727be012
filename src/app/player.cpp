// The player's pause and seek over the timeline's frames and the song.
#include "app/player.h"

#include "app/entry.h"
#include "app/display_toggle.h"
#include "app/gl_window.h"
#include "effects/effects_state.h"
#include "platform/performance_counter.h"
#include "resources/resources_state.h"
#include "shared/shared_state.h"
#include "timeline/timeline.h"

#include <GL/gl.h>

#include <cmath>

#ifndef GL_RASTERIZER_DISCARD
#define GL_RASTERIZER_DISCARD 0x8C89 // GL 3.0 and ES 3.0 (a GL 1.1 header lacks it)
#endif

// Everything a frame depends on besides the GL resources, at one frame.
struct KeptState {
    bool valid = false;
    SharedState shared;
    EffectsState effects;
    CarriedGlState gl;
    FrameTimerPlace clocks;
};

PlayerState::PlayerState() = default;
PlayerState::~PlayerState() = default;
PlayerState& PlayerState::operator=(PlayerState&&) noexcept = default;

namespace {

KeptState state_now()
{
    KeptState k;
    k.valid = true;
    k.shared = shared;
    k.shared.frame_timer = nullptr;
    k.effects = effects;
    k.gl = capture_carried_gl_state();
    k.clocks = shared.frame_timer->place();
    return k;
}

void restore(const KeptState& k)
{
    FrameTimer* timer = shared.frame_timer;
    shared = k.shared;
    shared.frame_timer = timer;
    effects = k.effects;
    apply_carried_gl_state(k.gl);
    timer->run_fixed(player_fps, k.clocks);
}

// The capture's frame number for a time (as its --still picks it).
long frame_at(double seconds) { return static_cast<long>(std::floor(seconds * player_fps + 1e-9)); }

// While stepping only the state matters: the rasterizer discards what the
// scenes draw, so the driver only follows the state and the vertices go
// nowhere (on the GL subset they are not even sent). A GL older than 3.0
// refuses the enable; the one-pixel viewport then keeps the cost down.
void draw_nothing(bool on)
{
    if (on) {
        glEnable(GL_RASTERIZER_DISCARD);
        app.player.discarding = glIsEnabled(GL_RASTERIZER_DISCARD) == GL_TRUE;
    } else if (app.player.discarding) {
        glDisable(GL_RASTERIZER_DISCARD);
        app.player.discarding = false;
    }
    // The swarm's 81 arcs a frame were half of a far seek's time.
    resources.drawing_unseen = app.player.discarding;
}

// Steps the scenes at the capture's rate up to `frame` (or the end of the
// sequence), from the nearest kept state at or before it, keeping a state
// at each 2 s passed. Drawn into a one-pixel viewport, nothing rasterized.
// A seek's last frame before its target (`draw_last`) is drawn: its clear
// reaches the whole buffer, which the frame shown next starts from. With
// none drawn (keeping states ahead while paused) the buffer keeps the frame
// on screen, which the next frame then starts from.
void step_to(long frame, bool draw_last)
{
    app.player.kept.resize(player_kept_count);
    int index = static_cast<int>(frame / player_kept_every);
    if (index >= player_kept_count)
        index = player_kept_count - 1;
    while (index > 0 && !app.player.kept[index].valid)
        --index;
    restore(app.player.kept[index]);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glViewport(0, 0, 1, 1);
    while (!shared.quit_requested && shared.scene_index <= last_scene &&
           shared.frame_timer->place().fixed_frames < frame) {
        draw_nothing(!draw_last || shared.frame_timer->place().fixed_frames + 1 < frame);
        render_frame();
        const std::int64_t done = shared.frame_timer->place().fixed_frames;
        const std::int64_t at = done / player_kept_every;
        if (done % player_kept_every == 0 && at < player_kept_count && !app.player.kept[at].valid)
            app.player.kept[at] = state_now();
    }
    draw_nothing(false);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

// While paused the picture stands: a seek shows its frame once and the
// scenes go back to the state before it was drawn.
void show_frame_paused()
{
    const KeptState before = state_now();
    render_frame();
    platform_swap_buffers(app.window_dc);
    restore(before);
}

} // namespace

bool player_keep_ahead()
{
    PlayerState& p = app.player;
    if (p.kept.empty() || p.all_kept)
        return false;
    p.kept.resize(player_kept_count);
    int next = 1;
    while (next < player_kept_count && p.kept[next].valid)
        ++next;
    if (next >= player_kept_count) {
        p.all_kept = true;
        return false;
    }
    const KeptState before = state_now();
    step_to(static_cast<long>(next) * player_kept_every, false);
    p.all_kept = !p.kept[next].valid; // the sequence ended before it
    restore(before);
    return true;
}

void player_keep_start()
{
    // Only the first state at start-up; room for the rest comes with the
    // first seek or pause.
    app.player.kept.assign(1, state_now());
    app.player.kept[0].clocks = FrameTimerPlace{};
    app.player.all_kept = false;
}

bool player_key(unsigned virtual_key, bool repeated)
{
    PlayerRequest request = PlayerRequest::none;
    switch (virtual_key) {
    case VK_SPACE: request = repeated ? PlayerRequest::none : PlayerRequest::pause; break;
    case VK_HOME: request = repeated ? PlayerRequest::none : PlayerRequest::restart; break;
    case VK_LEFT: request = PlayerRequest::back; break;
    case VK_RIGHT: request = PlayerRequest::forth; break;
    default: return false;
    }
    if (request != PlayerRequest::none)
        app.player.request = request;
    return true;
}

void player_ask_time(double seconds)
{
    app.player.asked_seconds = seconds;
    app.player.request = PlayerRequest::time;
}

void player_take_request()
{
    const PlayerRequest request = app.player.request;
    app.player.request = PlayerRequest::none;
    switch (request) {
    case PlayerRequest::none: break;
    case PlayerRequest::pause: player_set_paused(!app.player.paused); break;
    case PlayerRequest::back: player_seek(std::fmax(0.0, player_time() - player_jump_seconds)); break;
    case PlayerRequest::forth: player_seek(player_time() + player_jump_seconds); break;
    case PlayerRequest::restart: player_seek(0.0); break;
    case PlayerRequest::time: player_seek(app.player.asked_seconds); break;
    }
}

double player_time() { return shared.frame_timer->place().total_seconds; }

void player_seek(double seconds)
{
    // The song waits while the scenes are stepped, and goes on from their
    // time.
    if (!app.player.paused)
        music_player.pause(true);
    step_to(frame_at(seconds < 0.0 ? 0.0 : seconds), true);
    platform_counter_place(player_time(), app.player.paused);
    shared.frame_timer->run_real_time();
    music_player.place_at(player_time());
    if (!app.player.paused)
        music_player.pause(false);
    else if (!shared.quit_requested)
        show_frame_paused();
}

void player_set_paused(bool paused)
{
    if (paused == app.player.paused)
        return;
    app.player.paused = paused;
    if (paused) {
        music_player.pause(true);
        platform_counter_place(player_time(), true);
        return;
    }
    // The pause is not the scenes' time: they go on from where they stood,
    // and the song with them.
    platform_counter_place(player_time(), false);
    shared.frame_timer->run_real_time();
    music_player.place_at(player_time());
    music_player.pause(false);
}

int player_states_kept()
{
    int kept = 0;
    for (const KeptState& k : app.player.kept)
        kept += k.valid ? 1 : 0;
    return kept;
}

std::size_t player_kept_bytes() { return app.player.kept.capacity() * sizeof(KeptState); }
