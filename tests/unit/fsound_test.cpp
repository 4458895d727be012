// The sound layer on SDL's dummy audio driver: start and close, loading
// whole files with the error codes of each failure, channels.
#include "platform/host.h"
#include "support/pipe_guard.h"
#include "unit/music_test_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

using music_test::TempDir;

namespace {
constexpr unsigned short s16_little_endian = 0x8010; // SDL's AUDIO_S16LSB

std::string write_tone_wav(const TempDir& dir, const std::string& name, int frames)
{
    std::string path = dir / name;
    EXPECT_TRUE(music_test::write_bytes(path, music_test::wav_bytes(music_test::tone(frames))));
    return path;
}
} // namespace

TEST(Fsound, InitOpensStereoAt44100WithThirtyTwoChannels)
{
    ASSERT_EQ(FSOUND_Init(44100, 32, 2), 1);
    EXPECT_TRUE(fsound_started());
    int rate = 0, channels = 0;
    unsigned short format = 0;
    ASSERT_TRUE(fsound_output_format(&rate, &channels, &format));
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(format, s16_little_endian);

    // Exactly 32 mixing channels: the 33rd sound finds none free.
    TempDir dir;
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, write_tone_wav(dir, "tone.wav", 44100).c_str(), 0, 0);
    ASSERT_NE(sample, nullptr);
    std::vector<int> used;
    for (int k = 0; k < 32; ++k) {
        int channel = FSOUND_PlaySound(FSOUND_FREE, sample);
        ASSERT_GE(channel, 0) << "sound " << k;
        EXPECT_TRUE(fsound_channel_playing(channel));
        used.push_back(channel);
    }
    std::sort(used.begin(), used.end());
    EXPECT_EQ(std::unique(used.begin(), used.end()), used.end()) << "every sound got its own channel";
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), -1);
    EXPECT_EQ(FSOUND_GetError(), 17);

    // Stopping one frees it for the next sound.
    EXPECT_EQ(FSOUND_StopSound(used[5]), 1);
    EXPECT_FALSE(fsound_channel_playing(used[5]));
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), used[5]);
    FSOUND_Close();
}

TEST(Fsound, InitFailsWithCodeThreeWhenNoDeviceOpens)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(FSOUND_Init(44100, 32, 2), 0);
    EXPECT_EQ(FSOUND_GetError(), 3);
    EXPECT_FALSE(fsound_started());
    FSOUND_Close();
    // With a driver that works, the layer starts after all.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(FSOUND_Init(44100, 32, 2), 1);
    FSOUND_Close();
}

TEST(Fsound, InitTwiceAndBadArgumentsAreRefused)
{
    EXPECT_EQ(FSOUND_Init(0, 32, 2), 0);
    EXPECT_EQ(FSOUND_GetError(), 14);
    EXPECT_EQ(FSOUND_Init(44100, 0, 2), 0);
    EXPECT_EQ(FSOUND_GetError(), 14);
    EXPECT_FALSE(fsound_started());
    ASSERT_EQ(FSOUND_Init(44100, 32, 2), 1);
    EXPECT_EQ(FSOUND_Init(44100, 32, 2), 0);
    EXPECT_EQ(FSOUND_GetError(), 1);
    EXPECT_TRUE(fsound_started()) << "the refused second start leaves the first one running";
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, nullptr, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), 14);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, nullptr), -1);
    EXPECT_EQ(FSOUND_GetError(), 14);
    EXPECT_EQ(FSOUND_StopSound(32), 0);
    EXPECT_EQ(FSOUND_GetError(), 14);
    EXPECT_EQ(FSOUND_StopSound(-1), 0);
    EXPECT_EQ(FSOUND_GetError(), 14);
    FSOUND_Close();
}

TEST(Fsound, CallsBeforeInitAndAfterCloseNeedTheLayerStarted)
{
    TempDir dir;
    std::string wav = write_tone_wav(dir, "tone.wav", 1000);
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, wav.c_str(), 0, 0), nullptr);
        EXPECT_EQ(FSOUND_GetError(), 2);
        EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, nullptr), -1);
        EXPECT_EQ(FSOUND_GetError(), 2);
        EXPECT_EQ(FSOUND_StopSound(0), 0);
        EXPECT_EQ(FSOUND_GetError(), 2);
        // Closing a layer that is not running is harmless, also twice.
        FSOUND_Close();
        FSOUND_Close();
        EXPECT_FALSE(fsound_started());
        // Start, load, close: the next round finds it closed again.
        ASSERT_EQ(FSOUND_Init(44100, 32, 2), 1);
        ASSERT_NE(FSOUND_Sample_Load(FSOUND_FREE, wav.c_str(), 0, 0), nullptr);
        EXPECT_EQ(fsound_sample_count(), 1);
        FSOUND_Close();
        EXPECT_EQ(fsound_sample_count(), 0) << "close frees the samples";
    }
}

// A sample the layer does not hold (freed by a close, or never loaded) is
// refused, not played from freed memory; one loaded since plays.
TEST(Fsound, PlayRefusesASampleTheLayerDoesNotHold)
{
    TempDir dir;
    std::string wav = write_tone_wav(dir, "tone.wav", 1000);
    ASSERT_EQ(FSOUND_Init(44100, 32, 2), 1);
    FSOUND_SAMPLE* before_close = FSOUND_Sample_Load(FSOUND_FREE, wav.c_str(), 0, 0);
    ASSERT_NE(before_close, nullptr);
    FSOUND_Close();
    ASSERT_EQ(FSOUND_Init(44100, 32, 2), 1);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, before_close), -1);
    EXPECT_EQ(FSOUND_GetError(), 14);
    FSOUND_SAMPLE* now = FSOUND_Sample_Load(FSOUND_FREE, wav.c_str(), 0, 0);
    ASSERT_NE(now, nullptr);
    int stranger = 0;
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, reinterpret_cast<FSOUND_SAMPLE*>(&stranger)), -1);
    EXPECT_EQ(FSOUND_GetError(), 14);
    EXPECT_GE(FSOUND_PlaySound(FSOUND_FREE, now), 0);
    EXPECT_EQ(FSOUND_GetError(), 0);
    FSOUND_Close();
}

TEST(Fsound, LoadDecodesTheWholeFileIntoMemory)
{
    TempDir dir;
    std::vector<std::int16_t> samples = music_test::tone(22050);
    ASSERT_TRUE(music_test::write_bytes(dir / "tone.wav", music_test::wav_bytes(samples)));
    ASSERT_EQ(FSOUND_Init(44100, 32, 2), 1);
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, (dir / "tone.wav").c_str(), 0, 0);
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(FSOUND_GetError(), 0);
    EXPECT_EQ(fsound_sample_frames(sample), 22050);
    int bytes = 0;
    const unsigned char* data = fsound_sample_bytes(sample, &bytes);
    ASSERT_EQ(bytes, static_cast<int>(samples.size() * 2));
    EXPECT_EQ(std::memcmp(data, samples.data(), samples.size() * 2), 0) << "the device's own format: no change";

    // A mono file at another rate is converted to what the device plays.
    std::vector<std::int16_t> mono(22050, 1000);
    ASSERT_TRUE(music_test::write_bytes(dir / "mono.wav", music_test::wav_bytes(mono, 22050, 1)));
    FSOUND_SAMPLE* converted = FSOUND_Sample_Load(FSOUND_FREE, (dir / "mono.wav").c_str(), 0, 0);
    ASSERT_NE(converted, nullptr);
    EXPECT_NEAR(fsound_sample_frames(converted), 44100, 64);
    EXPECT_EQ(fsound_sample_count(), 2);
    FSOUND_Close();
}

TEST(Fsound, TheSongLoadsWholeAndLastsAbout152Seconds)
{
    ASSERT_EQ(FSOUND_Init(44100, 32, 2), 1);
    FSOUND_SAMPLE* song = FSOUND_Sample_Load(FSOUND_FREE, "files/song.mp3", 0, 0);
    ASSERT_NE(song, nullptr) << "error " << FSOUND_GetError();
    double seconds = fsound_sample_frames(song) / 44100.0;
    EXPECT_NEAR(seconds, 152.0, 0.5);
    // Not silence, and no sample at full scale (nothing clipped).
    int bytes = 0;
    const auto* data = reinterpret_cast<const std::int16_t*>(fsound_sample_bytes(song, &bytes));
    int peak = 0;
    double power = 0;
    for (int i = 0; i < bytes / 2; ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(data[i])));
        power += double(data[i]) * data[i];
    }
    double rms_db = 20 * std::log10(std::sqrt(power / (bytes / 2)) / 32768.0);
    EXPECT_LT(peak, 32767);
    EXPECT_GT(rms_db, -24.0);
    EXPECT_LT(rms_db, -10.0);
    FSOUND_Close();
}

TEST(Fsound, LoadFailuresHaveTheirCodes)
{
    TempDir dir;
    ASSERT_EQ(FSOUND_Init(44100, 32, 2), 1);

    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, (dir / "missing.mp3").c_str(), 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), 9);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, (dir / "no-folder/song.mp3").c_str(), 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), 9);

    ASSERT_TRUE(music_test::write_bytes(dir / "notes.txt",
                                        std::vector<unsigned char>(std::begin("not a song at all, only words"),
                                                                   std::end("not a song at all, only words"))));
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, (dir / "notes.txt").c_str(), 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), 10);
    ASSERT_TRUE(music_test::write_bytes(dir / "empty.mp3", {}));
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, (dir / "empty.mp3").c_str(), 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), 10);

    // A folder exists but cannot be read as a file.
    ASSERT_EQ(mkdir((dir / "folder.mp3").c_str(), 0755), 0);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, (dir / "folder.mp3").c_str(), 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), 11);
    // So do a pipe that no one writes (not waited on) and a device.
    {
        PipeGuard pipe(dir / "pipe.mp3");
        ASSERT_TRUE(pipe.made());
        EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, (dir / "pipe.mp3").c_str(), 0, 0), nullptr);
        EXPECT_EQ(FSOUND_GetError(), 11);
        EXPECT_FALSE(pipe.had_to_release()) << "the load waited for a writer";
    }
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, "/dev/zero", 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), 11);

    // A WAV whose header promises what is not there: a known kind, damaged.
    std::vector<unsigned char> damaged = music_test::wav_bytes(music_test::tone(100));
    damaged.resize(30);
    ASSERT_TRUE(music_test::write_bytes(dir / "damaged.wav", damaged));
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, (dir / "damaged.wav").c_str(), 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), 11);

    EXPECT_EQ(fsound_sample_count(), 0);
    // A failure is no lasting state: the next good load reports no error.
    ASSERT_TRUE(music_test::write_bytes(dir / "tone.wav", music_test::wav_bytes(music_test::tone(10))));
    EXPECT_NE(FSOUND_Sample_Load(FSOUND_FREE, (dir / "tone.wav").c_str(), 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), 0);
    FSOUND_Close();
}

TEST(Fsound, ReportedVersionCanBeReplaced)
{
    EXPECT_FLOAT_EQ(FSOUND_GetVersion(), 3.33f);
    EXPECT_GE(FSOUND_GetVersion(), 3.33f);
    fsound_set_reported_version(3.32f);
    EXPECT_EQ(FSOUND_GetVersion(), 3.32f);
    fsound_restore_version();
    EXPECT_EQ(FSOUND_GetVersion(), FSOUND_LAYER_VERSION);
}

TEST(Fsound, PausedAndPlacedChannelsGoOnWhereTheyArePut)
{
    EXPECT_EQ(FSOUND_GetOutputRate(), 0);
    EXPECT_EQ(FSOUND_SetPaused(0, 1), 0);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_UNINITIALIZED);
    ASSERT_EQ(FSOUND_Init(44100, 32, 2), 1);
    EXPECT_EQ(FSOUND_GetOutputRate(), 44100);
    TempDir dir;
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, write_tone_wav(dir, "tone.wav", 44100).c_str(), 0, 0);
    ASSERT_NE(sample, nullptr);

    // Only a channel something was played on can be paused or placed.
    EXPECT_EQ(FSOUND_SetPaused(3, 1), 0);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    EXPECT_EQ(FSOUND_SetCurrentPosition(32, 0), 0);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);

    const int channel = FSOUND_PlaySound(FSOUND_FREE, sample);
    ASSERT_GE(channel, 0);
    EXPECT_EQ(FSOUND_SetPaused(channel, 1), 1);
    EXPECT_FALSE(fsound_channel_playing(channel));
    // Placed while paused, it stays silent until it plays on.
    EXPECT_EQ(FSOUND_SetCurrentPosition(channel, 100), 1);
    EXPECT_FALSE(fsound_channel_playing(channel));
    EXPECT_EQ(FSOUND_SetPaused(channel, 0), 1);
    EXPECT_TRUE(fsound_channel_playing(channel));

    // Placed past the tone's end (10 s into a 1 s tone), the mixer's next
    // buffer finds nothing left and the channel ends.
    EXPECT_EQ(FSOUND_SetCurrentPosition(channel, 10 * 44100), 1);
    // (A limit on a hang, not a measure: the dummy driver mixes in real time.)
    for (int look = 0; look < 6000 && fsound_channel_playing(channel); ++look)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(fsound_channel_playing(channel));
    // Put back at its start, it plays again; stopped, it can no longer be placed.
    EXPECT_EQ(FSOUND_SetCurrentPosition(channel, 0), 1);
    EXPECT_TRUE(fsound_channel_playing(channel));
    EXPECT_EQ(FSOUND_StopSound(channel), 1);
    EXPECT_EQ(FSOUND_SetPaused(channel, 0), 0);
    FSOUND_Close();
    EXPECT_EQ(FSOUND_GetOutputRate(), 0);
}
