// The system's process-wide state back to its start values, layer by layer,
// from the platform up: each layer's state is one struct, so each reset
// above the platform is one assignment and nothing escapes it. What is not
// reset here, and why:
// - the sound layer's last error code: set by every call, read only after
//   one; FSOUND_Init starts it afresh.
// - fontconfig's own initialisation (the added font files are forgotten).
// - the tables that are const (intro words, greetings, title blocks, fog
//   colour, the BMP reader's texts).
// - the present layer's framebuffer entry points: looked up once per
//   process, one driver serves every context.
// - the GL subset (src/gles): the system here draws on the driver's own GL;
//   the subset's tests end its contexts with gles_context_deleted.
#include "harness/system_reset.h"

#include "app/entry.h"
#include "app/gl_window.h"
#include "effects/effects_state.h"
#include "platform/host.h"
#include "platform/host/host_state.h"
#include "resources/resources_state.h"
#include "shared/shared_state.h"

#include <cstring>

namespace {

void reset_platform()
{
    // Whatever a test left open goes first, while its context is current.
    if (offscreen_target_width() != 0 && app.gl_context)
        offscreen_target_destroy();
    if (app.main_window || app.window_dc || app.gl_context)
        close_window();
    if (platform_class_registered())
        platform_unregister_class();
    // Messages posted with no window to take them (a quit, a key), and the
    // cursor count the rules keep (SDL's cursor shows again when its video
    // starts afresh).
    window_state.messages = QueuedMessages{};
    window_state.cursor_count = 0;
    platform_reset_testing_seam();
    // The rest of the host library's state: the offscreen target's names
    // went with it above, or died with their context.
    host = HostState{};
    // SDL's video as before the first window: the next one starts it with
    // the driver the test asks for.
    if (!app.main_window)
        platform_shutdown_video();
    if (fsound_started())
        FSOUND_Close();
    platform_forget_font_files();
}

void reset_app()
{
    app = AppState{};
    // The sound layer is shut: the player's sample went with it. The player
    // is the one static object of the process, so it is emptied in place
    // (a new one would stop and close on the old one's destruction).
    music_player.sample = nullptr;
    std::memset(music_player.path, 0, sizeof music_player.path);
    music_player.channel = 0;
}

void reset_shared()
{
    delete shared.frame_timer;
    shared = SharedState{};
}

// The GL names died with their context; the numbers are forgotten.
void reset_resources() { resources = ResourcesState{}; }

void reset_effects() { effects = EffectsState{}; }

} // namespace

void reset_system_state()
{
    reset_platform();
    reset_app();
    reset_shared();
    reset_resources();
    reset_effects();
}
