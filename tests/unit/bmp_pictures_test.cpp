// The three pictures in files/: what the demo needs of them, and that the
// generator in tools/pictures makes exactly the committed bytes.
#include "resources/bmp_reader.h"

#include "harness/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

struct Picture {
    RgbImage* image = nullptr;
    explicit Picture(const std::string& name)
    {
        BoxRecorder recorder;
        image = read_dib_file((source_dir() + "/files/" + name).c_str());
    }
    ~Picture() { free_rgb_image(image); }
    const unsigned char* at(int x, int y) const { return image->data + (static_cast<std::size_t>(y) * image->width + x) * 3; }
};

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Mean absolute difference between column a and column b (all channels).
double column_difference(const Picture& p, int a, int b)
{
    double sum = 0;
    for (int y = 0; y < p.image->height; ++y)
        for (int c = 0; c < 3; ++c)
            sum += std::abs(p.at(a, y)[c] - p.at(b, y)[c]);
    return sum / (p.image->height * 3);
}

double row_difference(const Picture& p, int a, int b)
{
    double sum = 0;
    for (int x = 0; x < p.image->width; ++x)
        for (int c = 0; c < 3; ++c)
            sum += std::abs(p.at(x, a)[c] - p.at(x, b)[c]);
    return sum / (p.image->width * 3);
}

} // namespace

TEST(Pictures, AreTwentyFourBitBmpFilesOfPowerOfTwoSize)
{
    for (const char* name : {"tunnel.bmp", "star.bmp", "load.bmp"}) {
        SCOPED_TRACE(name);
        std::string bytes = slurp(source_dir() + "/files/" + name);
        ASSERT_GT(bytes.size(), 54u);
        EXPECT_EQ(bytes.substr(0, 2), "BM");
        EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24); // bit count
        Picture p(name);
        ASSERT_NE(p.image, nullptr);
        EXPECT_TRUE(p.image->width == 256 || p.image->width == 512);
        EXPECT_EQ(p.image->width, p.image->height);
    }
}

TEST(Pictures, TunnelWallIsSeamlessBothWays)
{
    // Across the wrap the wall jumps no more than it does somewhere
    // inside (the tunnel's texture coordinates repeat both ways).
    Picture p("tunnel.bmp");
    ASSERT_NE(p.image, nullptr);
    const int w = p.image->width, h = p.image->height;
    double inner_columns = 0, inner_rows = 0;
    for (int i = 1; i < w; ++i)
        inner_columns = std::max(inner_columns, column_difference(p, i - 1, i));
    for (int i = 1; i < h; ++i)
        inner_rows = std::max(inner_rows, row_difference(p, i - 1, i));
    EXPECT_LE(column_difference(p, w - 1, 0), inner_columns);
    EXPECT_LE(row_difference(p, h - 1, 0), inner_rows);
    // Not a flat wall: detail with contrast.
    int dark = 0, bright = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int sum = p.at(x, y)[0] + p.at(x, y)[1] + p.at(x, y)[2];
            dark += sum < 120;
            bright += sum > 450;
        }
    EXPECT_GT(dark, w * h / 50);
    EXPECT_GT(bright, w * h / 200);
}

TEST(Pictures, StarGlowsOnPureBlack)
{
    // Under additive blending black adds nothing: the sprite's square must
    // not show, so its whole border is exactly black; its centre is bright.
    Picture p("star.bmp");
    ASSERT_NE(p.image, nullptr);
    const int s = p.image->width;
    for (int i = 0; i < s; ++i)
        for (auto [x, y] : {std::pair{i, 0}, std::pair{i, s - 1}, std::pair{0, i}, std::pair{s - 1, i}})
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(p.at(x, y)[c], 0) << x << ", " << y;
    for (int c = 0; c < 3; ++c)
        EXPECT_GE(p.at(s / 2, s / 2)[c], 240);
    // It fades outwards.
    EXPECT_GT(p.at(s / 2 + s / 16, s / 2 + s / 16)[0], p.at(s / 2 + s / 5, s / 2 + s / 5)[0]);
}

TEST(Pictures, StartPictureSitsOnBlack)
{
    Picture p("load.bmp");
    ASSERT_NE(p.image, nullptr);
    const int s = p.image->width;
    for (auto [x, y] : {std::pair{0, 0}, std::pair{s - 1, 0}, std::pair{0, s - 1}, std::pair{s - 1, s - 1}})
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(p.at(x, y)[c], 0);
}

TEST(Pictures, GeneratorMakesTheCommittedBytes)
{
    const std::string tool = binary_dir() + "/tools/pictures/elka_make_pictures";
    ASSERT_TRUE(std::filesystem::exists(tool)) << tool;
    char name[] = "/tmp/elka-pictures-XXXXXX";
    const std::string folder = mkdtemp(name);
    std::string err;
    EXPECT_EQ(run_command("'" + tool + "' '" + folder + "'", nullptr, &err), 0) << err;
    for (const char* file : {"tunnel.bmp", "star.bmp", "load.bmp"}) {
        SCOPED_TRACE(file);
        std::string made = slurp(folder + "/" + file);
        EXPECT_FALSE(made.empty());
        EXPECT_TRUE(made == slurp(source_dir() + "/files/" + file));
    }
    std::filesystem::remove_all(folder);
}
