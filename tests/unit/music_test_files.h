// Files for the sound tests: small WAVs of known content, stand-in pictures,
// and a temporary folder that cleans up after itself.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace music_test {

// Sound tests run on SDL's dummy audio driver unless the caller named one:
// machines running the tests need not have sound hardware.
inline const bool dummy_audio_driver = [] { return setenv("SDL_AUDIODRIVER", "dummy", 0) == 0; }();

// A fresh folder under /tmp, removed with its contents on destruction.
struct TempDir {
    std::string path;
    TempDir()
    {
        char pattern[] = "/tmp/elka-music-XXXXXX";
        path = mkdtemp(pattern) ? pattern : "";
    }
    ~TempDir()
    {
        if (!path.empty())
            std::system(("rm -rf '" + path + "'").c_str());
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

inline void put16(std::vector<unsigned char>& b, unsigned v)
{
    b.push_back(static_cast<unsigned char>(v));
    b.push_back(static_cast<unsigned char>(v >> 8));
}
inline void put32(std::vector<unsigned char>& b, std::uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

inline bool write_bytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Interleaved 16-bit stereo samples: a tone, different in each channel.
inline std::vector<std::int16_t> tone(int frames, double left_hz = 440, double right_hz = 660, int rate = 44100)
{
    std::vector<std::int16_t> s(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        s[2 * i] = static_cast<std::int16_t>(std::lround(12000 * std::sin(2 * M_PI * left_hz * i / rate)));
        s[2 * i + 1] = static_cast<std::int16_t>(std::lround(9000 * std::sin(2 * M_PI * right_hz * i / rate)));
    }
    return s;
}

// A 16-bit PCM WAV with the given interleaved samples.
inline std::vector<unsigned char> wav_bytes(const std::vector<std::int16_t>& samples, int rate = 44100, int channels = 2)
{
    std::vector<unsigned char> b;
    std::uint32_t data = static_cast<std::uint32_t>(samples.size() * 2);
    for (char c : std::string("RIFF")) b.push_back(static_cast<unsigned char>(c));
    put32(b, 36 + data);
    for (char c : std::string("WAVEfmt ")) b.push_back(static_cast<unsigned char>(c));
    put32(b, 16);
    put16(b, 1);
    put16(b, static_cast<unsigned>(channels));
    put32(b, static_cast<std::uint32_t>(rate));
    put32(b, static_cast<std::uint32_t>(rate * channels * 2));
    put16(b, static_cast<unsigned>(channels * 2));
    put16(b, 16);
    for (char c : std::string("data")) b.push_back(static_cast<unsigned char>(c));
    put32(b, data);
    for (std::int16_t v : samples)
        put16(b, static_cast<std::uint16_t>(v));
    return b;
}

// A 24-bit BMP of one colour: a stand-in picture for runs of the demo when
// the real pictures are not in files/.
inline bool write_bmp(const std::string& path, int width, int height, unsigned char r, unsigned char g,
                      unsigned char b)
{
    int row = (width * 3 + 3) & ~3;
    std::vector<unsigned char> out = {'B', 'M'};
    put32(out, static_cast<std::uint32_t>(54 + row * height));
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, static_cast<std::uint32_t>(row * height));
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            out.push_back(b);
            out.push_back(g);
            out.push_back(r);
        }
        for (int p = width * 3; p < row; ++p)
            out.push_back(0);
    }
    return write_bytes(path, out);
}

} // namespace music_test
