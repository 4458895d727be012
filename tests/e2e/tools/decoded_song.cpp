// elka-decoded-song SONG OUT: writes SONG as the sound layer decodes it for
// the demo's output (44100 Hz, 32 channels, the device's sample format,
// interleaved), as raw bytes, so that a script can compare what a run of
// the demo played with the song itself. Needs an audio driver (SDL's dummy
// one will do). Exit status 0 when OUT was written.
#include "platform/host.h"
#include "program_line.h"

#include <cstdio>

int main(int argc, char** argv)
{
    const ProgramLine line = {"elka-decoded-song",
                              "Usage: elka-decoded-song SONG OUT\n"
                              "Writes SONG as the demo's sound layer decodes it (44100 Hz, the device's\n"
                              "sample format, interleaved) to OUT as raw bytes. Needs an audio driver.\n"
                              "\n"
                              "      --help     show this help and exit\n"
                              "      --version  show the version and exit\n",
                              nullptr, 0, 2, 2, "SONG OUT"};
    if (int status = answer_program_line(argc, argv, line); status >= 0)
        return status;
    if (!FSOUND_Init(44100, 32, 2)) {
        std::fprintf(stderr, "elka-decoded-song: the sound layer does not start (error %d)\n", FSOUND_GetError());
        return 1;
    }
    FSOUND_SAMPLE* song = FSOUND_Sample_Load(FSOUND_FREE, argv[1], 0, 0);
    int bytes = 0;
    const unsigned char* data = song ? fsound_sample_bytes(song, &bytes) : nullptr;
    if (!data) {
        std::fprintf(stderr, "elka-decoded-song: %s does not load (error %d)\n", argv[1], FSOUND_GetError());
        FSOUND_Close();
        return 1;
    }
    const std::size_t size = static_cast<std::size_t>(bytes);
    std::FILE* out = std::fopen(argv[2], "wb");
    bool written = out && std::fwrite(data, 1, size, out) == size;
    if (out && std::fclose(out) != 0)
        written = false;
    FSOUND_Close();
    if (!written)
        std::fprintf(stderr, "elka-decoded-song: cannot write %s\n", argv[2]);
    return written ? 0 : 1;
}
