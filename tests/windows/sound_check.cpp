// The Win32 sound layer on its own, for tests/windows/sound.sh under Wine:
//   sound_check init                     "init 1", or "init 0 error CODE"
//   sound_check load FILE PCM [RATE]     "frames N" and the decoded sound,
//                                        16-bit stereo, written to PCM; or
//                                        "error CODE"
//   sound_check play FILE SECONDS        plays FILE on the default output
//                                        for SECONDS, then closes: "playing",
//                                        then "closed"
// Each starts the layer with FSOUND_Init at RATE (44100 unless given) and
// 32 channels, as the music player does; exit status 0 unless it could
// not do what it was asked.
#include "platform/fsound.h"
#include "platform/fsound_internal.h"
#include "platform/win32/win32_sound.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

bool init(int rate)
{
    if (FSOUND_Init(rate, 32, 0))
        return true;
    std::printf("init 0 error %d\n", FSOUND_GetError());
    return false;
}

int load(const char* file, const char* pcm_path, int rate)
{
    if (!init(rate))
        return 1;
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, file, 0, 0);
    if (!sample) {
        std::printf("error %d\n", FSOUND_GetError());
        FSOUND_Close();
        return 0;
    }
    const BackendSample* sound = sample->sound;
    std::printf("frames %zu\n", sound->frames);
    std::FILE* out = std::fopen(pcm_path, "wb");
    const bool written = out && std::fwrite(sound->data, 4, sound->frames, out) == sound->frames;
    if (out && std::fclose(out) != 0)
        return 1;
    FSOUND_Close();
    return written ? 0 : 1;
}

int play(const char* file, double seconds)
{
    if (!init(44100))
        return 1;
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, file, 0, 0);
    const int channel = sample ? FSOUND_PlaySound(FSOUND_FREE, sample) : -1;
    if (channel < 0) {
        std::printf("error %d\n", FSOUND_GetError());
        FSOUND_Close();
        return 1;
    }
    std::printf("playing %d\n", channel);
    std::fflush(stdout);
    // How long to play is what was asked, not a wait for something.
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    FSOUND_Close();
    std::printf("closed\n");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "init") == 0) {
        const bool started = init(44100);
        if (started)
            std::printf("init 1\n");
        FSOUND_Close();
        return 0;
    }
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "load") == 0)
        return load(argv[2], argv[3], argc == 5 ? std::atoi(argv[4]) : 44100);
    if (argc == 4 && std::strcmp(argv[1], "play") == 0)
        return play(argv[2], std::atof(argv[3]));
    std::fprintf(stderr, "usage: sound_check init | load FILE PCM [RATE] | play FILE SECONDS\n");
    return 2;
}
