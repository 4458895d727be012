// Test support for the window, its messages and the frame loop.
#include "support/window_test_support.h"

#include "platform/host.h"

LoopIterations* LoopIterations::current = nullptr;

LoopIterations::LoopIterations(Observer on_iteration) : observer(std::move(on_iteration))
{
    current = this;
    static const LoopObserver hooks{before_peek, after_peek, after_swap};
    platform_observe_loop(&hooks);
}

LoopIterations::~LoopIterations()
{
    platform_observe_loop(nullptr);
    current = nullptr;
}

void LoopIterations::finish()
{
    if (!open)
        return;
    open = false;
    if (observer)
        observer(taken ? &message : nullptr, drew);
}

void LoopIterations::before_peek()
{
    if (current)
        current->finish();
}

void LoopIterations::after_peek(const Message* took)
{
    if (!current || (took && took->message == WM_QUIT))
        return;
    current->open = true;
    current->taken = took != nullptr;
    current->message = took ? *took : Message{};
    current->drew = false;
}

void LoopIterations::after_swap()
{
    if (current && current->open)
        current->drew = true;
}

std::vector<std::string> call_log(int from)
{
    std::vector<std::string> out;
    for (int i = from; i < platform_call_log_size(); ++i)
        out.push_back(platform_call_log_entry(i));
    return out;
}

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

namespace {
void put16(std::ofstream& out, std::uint16_t v) { out.put(char(v & 0xFF)).put(char(v >> 8)); }
void put32(std::ofstream& out, std::uint32_t v)
{
    put16(out, std::uint16_t(v & 0xFFFF));
    put16(out, std::uint16_t(v >> 16));
}

void write_bmp(const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    const int side = 4, row = side * 3; // 12 bytes: already a multiple of 4
    out.write("BM", 2);
    put32(out, 14 + 40 + row * side);
    put32(out, 0);
    put32(out, 14 + 40);
    put32(out, 40);
    put32(out, side);
    put32(out, side);
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, row * side);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int i = 0; i < side * side; ++i)
        out.put(char(40 * (i % 4))).put(char(200)).put(char(16 * i));
}

void write_wav(const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    const std::uint32_t rate = 22050, samples = rate / 10;
    out.write("RIFF", 4);
    put32(out, 36 + samples * 2);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);
    put16(out, 1);
    put32(out, rate);
    put32(out, rate * 2);
    put16(out, 2);
    put16(out, 16);
    out.write("data", 4);
    put32(out, samples * 2);
    for (std::uint32_t i = 0; i < samples; ++i)
        put16(out, 0);
}
} // namespace

std::string make_media_folder(bool with_song)
{
    char name[] = "/tmp/elka-media-XXXXXX";
    if (!mkdtemp(name))
        return "";
    std::string root = name;
    mkdir((root + "/files").c_str(), 0755);
    for (const char* picture : {"tunnel.bmp", "star.bmp", "load.bmp"})
        write_bmp(root + "/files/" + picture);
    if (with_song)
        write_wav(root + "/files/song.mp3");
    return root;
}
