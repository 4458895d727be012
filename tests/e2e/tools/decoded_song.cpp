// elka-decoded-song SONG OUT: writes SONG as the sound layer decodes it for
// the demo's output (44100 Hz, 32 channels, the device's sample format,
// interleaved), as raw bytes, so that a script can compare what a run of
// the demo played with the song itself. Needs an audio driver (SDL's dummy
// one will do). Exit status 0 when OUT was written.
#include "platform/host.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: elka-decoded-song SONG OUT\n");
        return 2;
    }
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
