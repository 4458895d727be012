// The system's process-wide state back to its start values, unit by unit,
// from the platform up. What is not reset here, and why:
// - pixel_format_request: filled once by the first open_window of a process
//   and kept (its own file keeps the "filled" flag); every program asks for
//   16 bits, so the request is the same whichever open came first.
// - the sound layer's last error code: set by every call, read only after
//   one; FSOUND_Init starts it afresh.
// - fontconfig's own initialisation (the added font files are forgotten).
// - the tables that are const (intro words, greetings, title blocks, fog
//   colour, the BMP reader's texts).
#include "harness/system_reset.h"

#include "app/entry.h"
#include "app/gl_window.h"
#include "effects/spinning_swarm.h"
#include "effects/star_field.h"
#include "effects/triangle_field.h"
#include "effects/tunnel.h"
#include "platform/platform_testing.h"
#include "resources/display_lists.h"
#include "resources/outline_font.h"
#include "resources/textures.h"
#include "shared/shared_state.h"

#include <cstring>

namespace {

void reset_platform()
{
    // Whatever a test left open goes first, while its context is current.
    if (offscreen_target_width() != 0 && gl_context)
        offscreen_target_destroy();
    if (main_window || window_dc || gl_context)
        close_window();
    if (platform_class_registered())
        platform_unregister_class();
    // Messages posted with no window to take them (a quit, a key).
    Message message;
    for (int i = 0; i < 1000 && platform_peek_message(&message); ++i) {
    }
    for (int i = 0; i < 1000 && platform_cursor_count() < 0; ++i)
        platform_show_cursor(true);
    for (int i = 0; i < 1000 && platform_cursor_count() > 0; ++i)
        platform_show_cursor(false);
    platform_reset_testing_seam();
    // SDL's video as before the first window: the next one starts it with
    // the driver the test asks for.
    if (!main_window)
        platform_shutdown_video();
    if (fsound_started())
        FSOUND_Close();
    platform_forget_font_files();
}

void reset_app()
{
    app_instance = nullptr;
    main_window = nullptr;
    window_dc = nullptr;
    gl_context = nullptr;
    fullscreen = true;
    window_active = true;
    std::memset(key_down, 0, sizeof key_down);
    // The sound layer is shut: the player's sample went with it.
    music_player.sample = nullptr;
    std::memset(music_player.path, 0, sizeof music_player.path);
    music_player.channel = 0;
}

void reset_shared()
{
    delete frame_timer;
    frame_timer = nullptr;
    quit_requested = false;
    scene_index = first_scene;
    scene_clock = 0.0f;
    anim_clock = 0.0f;
    for (float& fade : text_fade)
        fade = 0.0f;
    tunnel_angle = 0.0f;
    swarm_angle = 0.0f;
}

void reset_resources()
{
    // The GL names died with their context; the numbers are forgotten.
    std::memset(texture_ids, 0, sizeof texture_ids);
    hexagon_list = 0;
    arc_list = 0;
    hex_half_width = 0.0f;
    arc_segments = 100;
    font_list_base = 0;
    std::memset(glyph_metrics, 0, sizeof glyph_metrics);
}

void reset_effects()
{
    std::memset(stars, 0, sizeof stars);
    star_spin = 0.0f;
    star_zoom = -5.0f;
    star_tilt = 45.0f;
    restart_star_rand();
    field_spin = 0;
    swarm_phase = 0.0f;
    std::memset(tunnel_vertices, 0, sizeof tunnel_vertices);
    std::memset(tunnel_texcoords, 0, sizeof tunnel_texcoords);
}

} // namespace

void reset_system_state()
{
    reset_platform();
    reset_app();
    reset_shared();
    reset_resources();
    reset_effects();
}
