// The music player on the real sound layer (SDL's dummy audio driver): the
// version check, start-up and loading with their texts on standard output,
// playing, stopping and closing.
#include "audio/music_player.h"
#include "platform/host.h"
#include "unit/music_test_files.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <cmath>
#include <string>
#include <sys/stat.h>

using music_test::TempDir;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {
std::string tone_wav(const TempDir& dir)
{
    std::string path = dir / "tone.wav";
    EXPECT_TRUE(music_test::write_bytes(path, music_test::wav_bytes(music_test::tone(44100))));
    return path;
}
} // namespace

TEST(MusicPlayer, StartsEmpty)
{
    MusicPlayer player;
    EXPECT_EQ(player.sample, nullptr);
    EXPECT_STREQ(player.path, "");
    EXPECT_EQ(player.channel, 0);
}

TEST(MusicPlayer, Version333PassesAndPlays)
{
    TempDir dir;
    std::string wav = tone_wav(dir);
    fsound_set_reported_version(3.33f);
    MusicPlayer player;
    CaptureStdout();
    bool ok = player.init(wav.c_str());
    EXPECT_EQ(GetCapturedStdout(), "Loading the song...\n\n");
    ASSERT_TRUE(ok);
    EXPECT_TRUE(fsound_started());
    EXPECT_NE(player.sample, nullptr);
    EXPECT_EQ(player.path, wav);

    int channel = player.play();
    EXPECT_GE(channel, 0);
    EXPECT_EQ(player.channel, channel);
    EXPECT_TRUE(fsound_channel_playing(channel));
    player.stop();
    EXPECT_FALSE(fsound_channel_playing(channel));
    player.close();
    EXPECT_FALSE(fsound_started());
    fsound_restore_version();
}

TEST(MusicPlayer, OlderVersionIsRefusedWithoutStartingTheLayer)
{
    for (float version : {3.32f, std::nextafter(3.33f, 0.0f), 0.0f, -1.0f, NAN}) {
        fsound_set_reported_version(version);
        MusicPlayer player;
        CaptureStdout();
        EXPECT_FALSE(player.init("files/song.mp3"));
        EXPECT_EQ(GetCapturedStdout(),
                  "Error : You are using the wrong DLL version!  You should be using FMOD 3.33\n")
            << "version " << version;
        EXPECT_FALSE(fsound_started());
        EXPECT_EQ(player.sample, nullptr);
    }
    fsound_restore_version();
}

TEST(MusicPlayer, MissingSongSaysFileNotFound)
{
    TempDir dir;
    MusicPlayer player;
    CaptureStdout();
    EXPECT_FALSE(player.init((dir / "song.mp3").c_str()));
    EXPECT_EQ(GetCapturedStdout(), "Loading the song...\n\nFile not found\n");
    EXPECT_EQ(player.sample, nullptr);
    EXPECT_STREQ(player.path, "");
    // The layer was started before the load failed; closing ends it.
    EXPECT_TRUE(fsound_started());
    player.close();
    EXPECT_FALSE(fsound_started());
}

TEST(MusicPlayer, FileThatIsNotAudioSaysUnknownFileFormat)
{
    TempDir dir;
    std::string text = "this is a shopping list, not a song\n";
    ASSERT_TRUE(music_test::write_bytes(dir / "song.mp3", std::vector<unsigned char>(text.begin(), text.end())));
    MusicPlayer player;
    CaptureStdout();
    EXPECT_FALSE(player.init((dir / "song.mp3").c_str()));
    EXPECT_EQ(GetCapturedStdout(), "Loading the song...\n\nUnknown file format\n");
}

TEST(MusicPlayer, NoOutputDeviceSaysSo)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    MusicPlayer player;
    CaptureStdout();
    EXPECT_FALSE(player.init("files/song.mp3"));
    EXPECT_EQ(GetCapturedStdout(), "Error initializing output device.\n");
    EXPECT_FALSE(fsound_started());
}

TEST(MusicPlayer, LoadOfNullPathSaysNothing)
{
    ASSERT_EQ(FSOUND_Init(44100, 32, 2), 1);
    MusicPlayer player;
    CaptureStdout();
    EXPECT_FALSE(player.load(nullptr));
    EXPECT_EQ(GetCapturedStdout(), "");
}

TEST(MusicPlayer, ReportErrorPrintsTheLayersLastError)
{
    MusicPlayer player;
    FSOUND_PlaySound(FSOUND_FREE, nullptr); // the layer is not started: code 2
    CaptureStdout();
    player.report_error();
    EXPECT_EQ(GetCapturedStdout(), "This command failed because FSOUND_Init was not called\n");
}

TEST(MusicPlayer, ErrorTexts)
{
    const char* texts[20] = {
        "No errors",
        "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
        "This command failed because FSOUND_Init was not called",
        "Error initializing output device.",
        "The output device is already in use and cannot be reused.",
        "Playing the sound failed.",
        "Soundcard does not support the features needed for this soundsystem (16bit stereo output)",
        "Error setting cooperative level for hardware.",
        "Error creating hardware sound buffer.",
        "File not found",
        "Unknown file format",
        "Error loading file",
        "Not enough memory ",
        "The version number of this file format is not supported",
        "An invalid parameter was passed to this function",
        "Tried to use an EAX command on a non EAX enabled channel or output.",
        "Tried to use an advanced EAX2 command on a non EAX2 enabled channel or output.",
        "Failed to allocate a new channel",
        "Recording not supported on this device",
        "Required Mediaplayer codec is not installed",
    };
    for (int code = 0; code < 20; ++code)
        EXPECT_STREQ(sound_error_text(code), texts[code]) << "code " << code;
    for (int code : {-1, 20, 21, 100, INT_MIN, INT_MAX})
        EXPECT_STREQ(sound_error_text(code), "Unknown error") << "code " << code;
}

TEST(MusicPlayer, CloseBeforeInitAndTwiceIsHarmless)
{
    MusicPlayer player;
    player.close();
    player.close();
    player.stop();
    EXPECT_FALSE(fsound_started());
    // The layer still starts normally afterwards.
    TempDir dir;
    std::string wav = tone_wav(dir);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(player.init(wav.c_str()));
    GetCapturedStdout();
    player.close();
    player.close();
    EXPECT_FALSE(fsound_started());
}

TEST(MusicPlayer, DestructorStopsAndClosesAfterShutdownToo)
{
    TempDir dir;
    std::string wav = tone_wav(dir);
    {
        MusicPlayer player;
        CaptureStdout();
        ASSERT_TRUE(player.init(wav.c_str()));
        GetCapturedStdout();
        player.play();
        EXPECT_TRUE(fsound_channel_playing(player.channel));
        // Destroyed while playing: stop, then close.
    }
    EXPECT_FALSE(fsound_started());
    {
        MusicPlayer player;
        CaptureStdout();
        ASSERT_TRUE(player.init(wav.c_str()));
        GetCapturedStdout();
        player.play();
        player.close(); // the system's shutdown; the destructor stops and closes once more
    }
    EXPECT_FALSE(fsound_started());
}

TEST(MusicPlayer, LongPathIsCutToFitTheField)
{
    // A real file whose path is longer than the field: nested folders.
    TempDir dir;
    std::string folder = dir.path;
    while (folder.size() < 300) {
        folder += "/" + std::string(60, 'd');
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    }
    std::string wav = folder + "/tone.wav";
    ASSERT_TRUE(music_test::write_bytes(wav, music_test::wav_bytes(music_test::tone(100))));
    MusicPlayer player;
    CaptureStdout();
    ASSERT_TRUE(player.init(wav.c_str()));
    GetCapturedStdout();
    EXPECT_EQ(std::strlen(player.path), sizeof player.path - 1);
    EXPECT_EQ(std::string(player.path), wav.substr(0, 255));
    EXPECT_NE(player.sample, nullptr);
    EXPECT_EQ(player.play(), player.channel);
}
