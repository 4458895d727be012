// Start-up, frame loop and shutdown of the demo, in the order the system is
// built to follow: window, GL state and resources, timer, music; then one
// message or one frame per iteration; then music, window, font.
#include "app/entry.h"

#include "app/display_toggle.h"
#include "app/gl_window.h"
#include "app/init_gl.h"
#include "app/player.h"
#include "platform/message_box.h"
#include "platform/window_system.h"
#include "resources/outline_font.h"
#include "timeline/timeline.h"

#include <chrono>
#include <cstdlib>
#include <thread>

MusicPlayer music_player;

bool start_up()
{
    if (!open_window("eLka", 800, 600, 16, app.fullscreen))
        return false;
    if (!init_gl())
        return false;
    shared.frame_timer = new FrameTimer();
    player_keep_start();
    if (!music_player.init("files/song.mp3"))
        std::exit(1); // the player has said why on standard output
    if (app.player.start_seconds > 0.0) {
        // --start: the scenes at that time first, then the song from there.
        player_seek(app.player.start_seconds);
        music_player.play();
        music_player.place_at(player_time());
        shared.frame_timer->run_real_time();
        return true;
    }
    music_player.play();
    shared.frame_timer->start();
    return true;
}

bool toggle_display()
{
    app.key_down[VK_F1] = false;
    CarriedGlState carried = capture_carried_gl_state();
    platform_keep_gl_objects();
    close_window();
    app.fullscreen = !app.fullscreen;
    if (!open_window("elite pAxo", 640, 480, 16, app.fullscreen))
        return false;
    restore_gl_after_toggle(carried);
    return true;
}

bool run_frame_loop(int* exit_status)
{
    *exit_status = 0;
    for (;;) {
        Message message;
        bool taken = platform_peek_message(&message);
        if (taken) {
            if (message.message == WM_QUIT) {
                shared.quit_requested = true;
                *exit_status = static_cast<int>(message.wparam);
                return true;
            }
            window_proc(app.main_window, message.message, message.wparam, message.lparam);
        } else {
            player_take_request();
            if (app.window_active) {
                if (app.key_down[VK_ESCAPE]) {
                    shared.quit_requested = true;
                } else if (app.player.paused) {
                    // The frame on screen stays; nothing is shown.
                    if (!player_keep_ahead())
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                } else {
                    render_frame();
                    platform_swap_buffers(app.window_dc);
                }
            }
            if (app.key_down[VK_F1] && !toggle_display())
                return false;
        }
        if (shared.quit_requested)
            return true; // Escape or the end of the sequence: a normal end
    }
}

void shut_down()
{
    music_player.close();
    close_window();
    delete_font();
}

int win_main()
{
    if (!start_up()) {
        music_player.close();
        close_window();
        delete_font();
        platform_message_box("Initialization Failed!", "ERROR", MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    int exit_status = 0;
    if (!run_frame_loop(&exit_status))
        return 0;
    shut_down();
    return exit_status;
}
