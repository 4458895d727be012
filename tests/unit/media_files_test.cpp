// Opening the media files: a regular file opens and reads whole; a missing
// file, a folder, a pipe and a device do not, and none of them is waited on.
#include "platform/media_files.h"
#include "platform/media_files_internal.h"
#include "support/pipe_guard.h"
#include "unit/music_test_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

using music_test::TempDir;

TEST(MediaFiles, RegularFileOpensAndReadsWhole)
{
    TempDir dir;
    std::vector<unsigned char> bytes = {'B', 'M', 0, 1, 2, 255};
    ASSERT_TRUE(music_test::write_bytes(dir / "picture.bmp", bytes));
    EXPECT_TRUE(platform_media_file_opens((dir / "picture.bmp").c_str()));
    std::size_t size = 99;
    unsigned char* read = platform_read_media_file((dir / "picture.bmp").c_str(), &size);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(std::vector<unsigned char>(read, read + size), bytes);
    platform_free_media_file(read);

    // An empty file opens, but there is nothing to read.
    ASSERT_TRUE(music_test::write_bytes(dir / "empty.bmp", {}));
    EXPECT_TRUE(platform_media_file_opens((dir / "empty.bmp").c_str()));
    EXPECT_EQ(platform_read_media_file((dir / "empty.bmp").c_str(), &size), nullptr);
    EXPECT_EQ(size, 0u);
}

TEST(MediaFiles, NothingButARegularFileOpens)
{
    TempDir dir;
    std::size_t size = 0;
    errno = 0;
    EXPECT_FALSE(platform_media_file_opens((dir / "missing.bmp").c_str()));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(platform_media_file_opens(nullptr));

    ASSERT_EQ(mkdir((dir / "folder.bmp").c_str(), 0755), 0);
    errno = 0;
    EXPECT_FALSE(platform_media_file_opens((dir / "folder.bmp").c_str()));
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(platform_read_media_file((dir / "folder.bmp").c_str(), &size), nullptr);

    // A device reads for ever: it is no file.
    errno = 0;
    EXPECT_FALSE(platform_media_file_opens("/dev/zero"));
    EXPECT_EQ(errno, ENODEV);
    EXPECT_EQ(platform_read_media_file("/dev/zero", &size), nullptr);

    // A pipe that no one writes: neither call waits for a writer.
    PipeGuard pipe(dir / "tunnel.bmp");
    ASSERT_TRUE(pipe.made());
    errno = 0;
    EXPECT_FALSE(platform_media_file_opens((dir / "tunnel.bmp").c_str()));
    EXPECT_EQ(errno, ENODEV);
    EXPECT_EQ(platform_read_media_file((dir / "tunnel.bmp").c_str(), &size), nullptr);
    EXPECT_FALSE(pipe.had_to_release());
}

// Reading a whole file says how it went, so that each caller can tell a
// missing file from one that is there but no file, empty or unreadable.
TEST(MediaFiles, ALoadSaysWhyItReadNothing)
{
    TempDir dir;
    unsigned char* bytes = reinterpret_cast<unsigned char*>(&dir);
    std::size_t size = 99;
    auto load = [&](const std::string& path) { return platform_load_media_file(path.c_str(), &bytes, &size); };

    ASSERT_TRUE(music_test::write_bytes(dir / "song.mp3", {1, 2, 3}));
    ASSERT_EQ(load(dir / "song.mp3"), MediaRead::read);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + size), (std::vector<unsigned char>{1, 2, 3}));
    platform_free_media_file(bytes);

    EXPECT_EQ(load(dir / "missing.mp3"), MediaRead::missing);
    EXPECT_EQ(bytes, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(load(dir / "song.mp3" + "/inside"), MediaRead::missing); // a file where a folder should be
    ASSERT_TRUE(music_test::write_bytes(dir / "empty.mp3", {}));
    EXPECT_EQ(load(dir / "empty.mp3"), MediaRead::empty);
    EXPECT_EQ(bytes, nullptr);
    ASSERT_EQ(mkdir((dir / "folder.mp3").c_str(), 0755), 0);
    EXPECT_EQ(load(dir / "folder.mp3"), MediaRead::not_a_file);
    EXPECT_EQ(platform_load_media_file("/dev/zero", &bytes, &size), MediaRead::not_a_file);
    PipeGuard pipe(dir / "pipe.mp3");
    ASSERT_TRUE(pipe.made());
    EXPECT_EQ(load(dir / "pipe.mp3"), MediaRead::not_a_file);
    EXPECT_FALSE(pipe.had_to_release());
    EXPECT_EQ(bytes, nullptr);
}
