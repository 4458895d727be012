// sound_probe SCENARIO [SONG]: drives the sound layer through the real music
// player and prints one "probe:" line per step. Built twice: for the page
// (the web layer) and natively on the desktop layer, whose lines are the
// expectation for every scenario that does not wait for the page.
#include "audio/music_player.h"
#include "platform/fsound.h"

#include <cstdio>
#include <cstring>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

// Waits until the page's test calls globalThis.probe.go(step). (The body is
// JavaScript: kept out of the C++ formatter's hands.)
// clang-format off
EM_ASYNC_JS(void, wait_for_page, (const char* step), {
    var name = UTF8ToString(step);
    globalThis.probe = globalThis.probe || {waiting: null, go: null};
    await new Promise(function(resolve) {
        globalThis.probe.waiting = name;
        globalThis.probe.go = function(wanted) {
            if (wanted !== name)
                return false;
            globalThis.probe.waiting = null;
            resolve();
            return true;
        };
    });
});
// clang-format on
#else
void wait_for_page(const char*) { }
#endif

namespace {

void line(const char* what, int value) { std::printf("probe: %s %d error %d\n", what, value, FSOUND_GetError()); }

// The demo's start: init, play; then, for the page, wait until told to
// stop, and stop and close as the demo's exit does.
int play(const char* song)
{
    MusicPlayer player;
    bool ok = player.init(song);
    line("init", ok);
    if (!ok) {
        std::fflush(stdout);
        wait_for_page("failed"); // the page's test reads the error it reports
        return 1;
    }
    line("play", player.play());
    std::fflush(stdout);
    wait_for_page("stop");
    player.stop();
    line("stop", FSOUND_GetError());
    player.close();
    line("closed", 0);
    return 0;
}

int init_twice(const char* song)
{
    MusicPlayer first;
    line("first init", first.init(song));
    MusicPlayer second;
    line("second init", second.init(song));
    return 0;
}

int load_before_init(const char* song)
{
    MusicPlayer player;
    line("load", player.load(song));
    return 0;
}

// The channel checks, on one channel.
int channels(const char* song)
{
    line("init", FSOUND_Init(44100, 1, 0));
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, song, 0, 0);
    line("load", sample != nullptr);
    line("play free", FSOUND_PlaySound(FSOUND_FREE, sample));
    line("play free again", FSOUND_PlaySound(FSOUND_FREE, sample));
    line("play channel 0 again", FSOUND_PlaySound(0, sample));
    line("play channel 1", FSOUND_PlaySound(1, sample));
    line("play no sample", FSOUND_PlaySound(FSOUND_FREE, nullptr));
    line("stop 0", FSOUND_StopSound(0));
    line("stop 1", FSOUND_StopSound(1));
    line("play free after stop", FSOUND_PlaySound(FSOUND_FREE, sample));
    FSOUND_Close();
    line("play after close", FSOUND_PlaySound(FSOUND_FREE, sample));
    line("stop after close", FSOUND_StopSound(0));
    FSOUND_Close();
    line("bad rate", FSOUND_Init(1000, 32, 0));
    line("no channels", FSOUND_Init(44100, 0, 0));
    line("init again", FSOUND_Init(44100, 32, 0));
    line("load nothing", FSOUND_Sample_Load(FSOUND_FREE, nullptr, 0, 0) != nullptr);
    FSOUND_Close();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: sound_probe SCENARIO [SONG]\n");
        return 2;
    }
    const char* scenario = argv[1];
    const char* song = argc > 2 ? argv[2] : "files/song.mp3";
    int status = 2;
    if (std::strcmp(scenario, "play") == 0)
        status = play(song);
    else if (std::strcmp(scenario, "init-twice") == 0)
        status = init_twice(song);
    else if (std::strcmp(scenario, "load-before-init") == 0)
        status = load_before_init(song);
    else if (std::strcmp(scenario, "channels") == 0)
        status = channels(song);
    else
        std::printf("probe: no scenario %s\n", scenario);
    std::printf("probe: end %d error %d\n", status, FSOUND_GetError());
    return status;
}
