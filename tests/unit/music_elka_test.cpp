// The real elka and its music, headless: without a song it ends with status
// 1 and the player's text on standard output, showing no message box; with
// SDL's disk audio driver, what it plays is the song as the sound layer
// decodes it.
#include "platform/platform_testing.h"
#include "harness/test_support.h"
#include "unit/music_test_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

using music_test::TempDir;

namespace {

bool exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// A working folder for elka: files/ with the pictures and the font (the
// tree's own, or one-colour stand-ins while the tree has none), and the
// song only when asked for.
void prepare_files(const TempDir& dir, bool with_song)
{
    ASSERT_EQ(mkdir((dir / "files").c_str(), 0755), 0);
    const char* pictures[3] = {"tunnel.bmp", "star.bmp", "load.bmp"};
    for (const char* name : pictures) {
        std::string own = source_dir() + "/files/" + name;
        std::string copy = dir / (std::string("files/") + name);
        if (exists(own)) {
            ASSERT_EQ(run_command("cp '" + own + "' '" + copy + "'"), 0);
        } else {
            ASSERT_TRUE(music_test::write_bmp(copy, 64, 64, 40, 90, 200));
        }
    }
    ASSERT_EQ(run_command("cp '" + source_dir() + "/files/font.ttf' '" + (dir / "files/font.ttf") + "'"), 0);
    if (with_song) {
        ASSERT_EQ(run_command("cp '" + source_dir() + "/files/song.mp3' '" + (dir / "files/song.mp3") + "'"), 0);
    }
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string elka() { return binary_dir() + "/elka"; }

} // namespace

TEST(MusicElka, MissingSongEndsWithStatusOneAndNoMessageBox)
{
    TempDir dir;
    prepare_files(dir, false);
    std::string out, err;
    int status = run_command("cd '" + dir.path + "' && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout -k 5 -s TERM 60 '" +
                                 elka() + "'",
                             &out, &err);
    EXPECT_EQ(status, 1) << err;
    EXPECT_EQ(out, "Loading the song...\n\nFile not found\n");
    // Message boxes appear on standard error as "CAPTION: TEXT"; the only
    // one allowed is the windowed-mode question of the fullscreen fallback.
    std::istringstream lines(err);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find(": ") == std::string::npos)
            continue;
        EXPECT_NE(line.find(": The Requested Fullscreen Mode Is Not Supported By"), std::string::npos)
            << "unexpected message: " << line;
    }
}

TEST(MusicElka, WithoutAnAudioDeviceTheDemoEndsWithTheDeviceError)
{
    TempDir dir;
    prepare_files(dir, true);
    std::string out, err;
    int status = run_command("cd '" + dir.path +
                                 "' && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=no-such-driver timeout -k 5 -s TERM 60 '" +
                                 elka() + "'",
                             &out, &err);
    EXPECT_EQ(status, 1) << err;
    EXPECT_EQ(out, "Error initializing output device.\n");
}

TEST(MusicElka, DiskAudioDriverHearsTheSong)
{
    TempDir dir;
    prepare_files(dir, true);
    std::string raw = dir / "played.raw";
    // Run until the driver has written 2.5 seconds (it writes in real time,
    // silence until the song starts), then end it: SDL turns SIGTERM into a
    // close request; the hard kill is only a safety net for a shutdown that
    // does not finish.
    const int wanted = 4 * 44100 * 5 / 2;
    run_command("cd '" + dir.path + "' && { SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='" + raw +
                "' '" + elka() + "' & pid=$!; for i in $(seq 600); do" +
                " [ \"$(stat -c %s '" + raw + "' 2>/dev/null || echo 0)\" -ge " + std::to_string(wanted) +
                " ] && break; kill -0 $pid 2>/dev/null || break; sleep 0.1; done;" +
                " kill -TERM $pid 2>/dev/null; for i in $(seq 30); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done;" +
                " kill -KILL $pid 2>/dev/null; wait $pid; }");
    std::string played = read_file(raw);
    ASSERT_GE(played.size(), 4u * 44100 / 2) << "less than half a second of audio was written";

    // The song as the same layer decodes it, in the same output format.
    ASSERT_EQ(FSOUND_Init(44100, 32, 2), 1);
    FSOUND_SAMPLE* song = FSOUND_Sample_Load(FSOUND_FREE, "files/song.mp3", 0, 0);
    ASSERT_NE(song, nullptr);
    int song_bytes = 0;
    const unsigned char* decoded = fsound_sample_bytes(song, &song_bytes);
    auto first_sound = [](const unsigned char* data, size_t size) {
        size_t i = 0;
        while (i + 1 < size && data[i] == 0 && data[i + 1] == 0)
            i += 2;
        return i & ~size_t(3); // start of that stereo frame
    };
    size_t played_start = first_sound(reinterpret_cast<const unsigned char*>(played.data()), played.size());
    size_t song_start = first_sound(decoded, static_cast<size_t>(song_bytes));
    ASSERT_LT(played_start, played.size()) << "only silence was played";
    ASSERT_GE(played_start, song_start);
    // What was played from the song's first sample on is the song itself,
    // sample for sample.
    // Only what was written before the end was asked for: after it the song
    // is stopped and the driver's last buffers hold silence.
    size_t offset = played_start - song_start;
    size_t before_end = std::min(played.size(), static_cast<size_t>(wanted));
    ASSERT_GT(before_end, offset);
    size_t compared = std::min(before_end - offset, static_cast<size_t>(song_bytes)) & ~size_t(3);
    ASSERT_GE(compared, 4u * 44100 / 2);
    size_t differs = 0;
    while (differs < compared && static_cast<unsigned char>(played[offset + differs]) == decoded[differs])
        ++differs;
    EXPECT_EQ(differs, compared) << "the played audio leaves the song " << differs / 4 << " frames after its start ("
                                 << compared / 4 << " compared, song starts at frame " << song_start / 4
                                 << ", played at frame " << played_start / 4 << ")";
    // And it is sound, not silence: the opening pad is well above the noise floor.
    const auto* samples = reinterpret_cast<const std::int16_t*>(played.data() + offset);
    double power = 0;
    for (size_t i = 0; i < compared / 2; ++i)
        power += double(samples[i]) * samples[i];
    double rms_db = 20 * std::log10(std::sqrt(power / (compared / 2)) / 32768.0);
    EXPECT_GT(rms_db, -45.0);
    FSOUND_Close();
}
