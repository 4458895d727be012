// What some scenes look like, read back pixel by pixel: the start picture,
// the letterbox of the greetings, and the two end cards.
#include "support/timeline_support.h"

#include "../unit/bmp_builder.h"
#include "timeline/timeline.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& c)
{
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// A working folder whose files/ holds the tree's tunnel and star pictures
// and a start picture of the test's making: 64 x 64, its four quarters red
// (lower left), green (lower right), blue (upper left) and white (upper
// right). The test runs inside it.
struct StartPictureFolder {
    std::string path, previous;
    bool ready = false;
    StartPictureFolder()
    {
        char name[] = "/tmp/elka-start-picture-XXXXXX";
        if (!mkdtemp(name))
            return;
        path = name;
        namespace fs = std::filesystem;
        fs::create_directory(path + "/files");
        for (const char* picture : {"tunnel.bmp", "star.bmp"})
            fs::copy_file(source_dir() + "/files/" + picture, path + "/files/" + picture);
        bmp::Layout l;
        l.width = 64;
        l.height = 64;
        for (int y = 0; y < 64; ++y) // bottom row first
            for (int x = 0; x < 64; ++x) {
                const bool upper = y >= 32, right = x >= 32;
                const unsigned char r = (!upper && !right) || (upper && right) ? 255 : 0;
                const unsigned char g = right ? 255 : 0;
                const unsigned char b = upper ? 255 : 0;
                l.pixels.insert(l.pixels.end(), {b, g, r}); // stored blue, green, red
            }
        if (!bmp::write_file(path + "/files/load.bmp", bmp::build(l)))
            return;
        previous = fs::current_path();
        fs::current_path(path);
        ready = true;
    }
    ~StartPictureFolder()
    {
        if (!previous.empty())
            std::filesystem::current_path(previous);
        if (!path.empty())
            std::filesystem::remove_all(path);
    }
};

std::vector<unsigned char> read_window(const GlTestWindow& window)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(window.width) * window.height * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, window.width, window.height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

const unsigned char* at(const std::vector<unsigned char>& pixels, const GlTestWindow& window, int x, int y)
{
    return &pixels[(static_cast<size_t>(y) * window.width + x) * 4];
}

// White text in the middle of a black view: every pixel grey (black, white
// or the antialiased edge between), a fair number of them white, all of
// those well inside the view and centred across it.
void expect_white_text_on_black(const GlTestWindow& window)
{
    const std::vector<unsigned char> pixels = read_window(window);
    int white = 0;
    int min_x = window.width, max_x = -1, min_y = window.height, max_y = -1;
    for (int y = 0; y < window.height; ++y)
        for (int x = 0; x < window.width; ++x) {
            const unsigned char* p = at(pixels, window, x, y);
            ASSERT_EQ(p[0], p[1]) << x << "," << y;
            ASSERT_EQ(p[0], p[2]) << x << "," << y;
            if (p[0] < 200)
                continue;
            ++white;
            min_x = std::min(min_x, x);
            max_x = std::max(max_x, x);
            min_y = std::min(min_y, y);
            max_y = std::max(max_y, y);
        }
    ASSERT_GT(white, 150) << "no text drawn";
    EXPECT_GT(min_x, window.width / 5);
    EXPECT_LT(max_x, window.width * 4 / 5);
    EXPECT_GT(min_y, window.height / 4);
    EXPECT_LT(max_y, window.height * 3 / 4);
    EXPECT_NEAR((min_x + max_x) / 2.0, window.width / 2.0, window.width / 20.0) << "centred across the view";
    // The text stands on the view's middle line: mostly above it.
    EXPECT_LT(min_y, window.height / 2 + 2);
    EXPECT_GT(max_y, window.height / 2 + 5);
    for (int x = 0; x < window.width; ++x) {
        EXPECT_EQ(at(pixels, window, x, 0)[0], 0);
        EXPECT_EQ(at(pixels, window, x, window.height - 1)[0], 0);
    }
}

} // namespace

TEST(ScenePixels, StartPictureIsOpaqueAndUnmodulated)
{
    // A start picture of four one-colour quarters (the file's rows bottom
    // first): red and green below, blue and white above.
    StartPictureFolder folder;
    ASSERT_TRUE(folder.ready);
    const int width = 160, height = 120;
    TimelineWindow run(width, height);
    ASSERT_TRUE(run.ready);
    draw_frame_after(0.5);
    const std::vector<unsigned char> scene = read_window(run.window);

    // The square from -1 to 1 at depth 4 under the 45-degree perspective:
    // the view there is 8 tan(22.5 deg) = 3.3137 units high, so the square
    // is 2 / 3.3137 of the height across (60.4 percent), centred, square on
    // screen whatever the window's shape.
    const double half = (height / 2.0) / (4.0 * std::tan(22.5 * M_PI / 180.0)); // 36.21 pixels
    const double cx = width / 2.0, cy = height / 2.0;
    ASSERT_NEAR(2.0 * half / height, 0.6036, 1e-4);

    const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, white{255, 255, 255}, black{0, 0, 0};
    auto expected = [&](double x, double y) {
        if (x < cx)
            return y < cy ? red : blue;
        return y < cy ? green : white;
    };
    // Every pixel whose centre lies more than 1.5 pixels inside the square's
    // edges shows its quarter's colour exactly (no blending, no colour but
    // white on the texture), every pixel more than 1.5 outside is black;
    // pixels along the edges and the quarters' seams are left alone.
    int inside = 0, outside = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double dx = std::fabs(px - cx), dy = std::fabs(py - cy);
            const unsigned char* p = at(scene, run.window, x, y);
            const Rgb got{p[0], p[1], p[2]};
            SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
            if (dx > half + 1.5 || dy > half + 1.5) {
                ASSERT_EQ(got, black);
                ++outside;
            } else if (dx < half - 1.5 && dy < half - 1.5 && dx > 2.0 && dy > 2.0) {
                ASSERT_EQ(got, expected(px, py));
                ++inside;
            }
        }
    EXPECT_GT(inside, 4 * 30 * 30);
    EXPECT_GT(outside, width * height - 80 * 80);
}

TEST(ScenePixels, GreetingsShowTwoBlackBarsAroundAnOpenBand)
{
    TimelineWindow run(320, 240);
    ASSERT_TRUE(run.ready);
    skip_to_scene(11);
    draw_frame_after(0.5); // the first frame: both lines still at alpha 0

    // At depth 10 the view is 8.28 units high; the bars' inner edges at
    // y -2 and 2 lie 58 pixels below and above the middle row.
    const std::vector<unsigned char> pixels = read_window(run.window);
    for (int x : {5, 60, 120, 170}) {
        SCOPED_TRACE(testing::Message() << "column " << x);
        for (int y = 0; y < 240; ++y) {
            const int red = at(pixels, run.window, x, y)[0];
            if (y < 58 || y > 182) {
                ASSERT_EQ(red, 0) << "bar at row " << y;
            } else if (y > 64 && y < 176) {
                ASSERT_EQ(red, 255) << "band at row " << y;
            }
        }
    }
}

TEST(ScenePixels, FirstEndCardIsWhiteTextOnBlack)
{
    TimelineWindow run(320, 240);
    ASSERT_TRUE(run.ready);
    skip_to_scene(21);
    for (int frame = 0; frame < 4; ++frame)
        draw_frame_after(0.5);
    ASSERT_EQ(shared.anim_clock, 2.0f);
    draw_frame_after(0.5); // drawn at alpha 2 * (4 - 2), clamped to opaque
    ASSERT_EQ(shared.scene_index, 21);
    expect_white_text_on_black(run.window);
}

TEST(ScenePixels, LastEndCardIsWhiteTextOnBlack)
{
    TimelineWindow run(320, 240);
    ASSERT_TRUE(run.ready);
    skip_to_scene(22);
    for (int frame = 0; frame < 4; ++frame)
        draw_frame_after(0.5);
    draw_frame_after(0.5);
    ASSERT_EQ(shared.scene_index, 22);
    expect_white_text_on_black(run.window);
}

TEST(ScenePixels, EndCardTextFadesInFromNothing)
{
    TimelineWindow run(320, 240);
    ASSERT_TRUE(run.ready);
    skip_to_scene(22);
    draw_frame_after(0.5); // anim_clock 0: the text at alpha 0
    const std::vector<unsigned char> pixels = read_window(run.window);
    for (size_t i = 0; i < pixels.size(); i += 4)
        ASSERT_EQ(pixels[i], 0) << "pixel " << i / 4;
}
