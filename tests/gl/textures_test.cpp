// Texture loading in a real GL context: the three pictures as mipmapped
// textures, the early stop on a missing or unreadable file, and the start
// picture as the first frame shows it.
#include "resources/textures.h"

#include "../unit/bmp_builder.h"
#include "app/init_gl.h"
#include "resources/gl_state.h"
#include "harness/test_support.h"
#include "support/pipe_guard.h"
#include "timeline/timeline.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// Declared here: GCC ships no sanitizer headers, the runtime has the call.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// Heap bytes in use now: enough to see a picture that was not released.
std::size_t heap_in_use()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
#endif
}

// A folder with files/ of the test's making; the test runs inside it.
struct MediaFolder {
    std::string path;
    std::string previous;
    MediaFolder()
    {
        char name[] = "/tmp/elka-textures-XXXXXX";
        path = mkdtemp(name);
        std::filesystem::create_directory(path + "/files");
        previous = std::filesystem::current_path();
        std::filesystem::current_path(path);
    }
    ~MediaFolder()
    {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(path);
    }
    void copy_picture(const char* name)
    {
        std::filesystem::copy_file(source_dir() + "/files/" + name, path + "/files/" + name);
    }
    void write(const char* name, const bmp::Bytes& bytes) { ASSERT_TRUE(bmp::write_file(path + "/files/" + name, bytes)); }
};

// A small 24-bit picture whose rows are not a multiple of 4 bytes long.
bmp::Bytes small_picture(int width, int height, int seed)
{
    bmp::Layout l;
    l.width = width;
    l.height = height;
    std::vector<bmp::Bytes> rows;
    for (int y = 0; y < height; ++y) {
        bmp::Bytes row;
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                row.push_back(static_cast<unsigned char>(seed + 40 * y + 13 * x + 70 * c));
        rows.push_back(row);
    }
    l.pixels = bmp::padded_rows(rows);
    return bmp::build(l);
}

std::vector<unsigned char> texture_level0(GLuint name, int width, int height)
{
    std::vector<unsigned char> texels(static_cast<std::size_t>(width) * height * 3);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

bool all_zero(const GLuint ids[5])
{
    for (int i = 0; i < 5; ++i)
        if (ids[i] != 0)
            return false;
    return true;
}

} // namespace

TEST(Textures, ThreePicturesBecomeMipmappedTextures)
{
    GlTestWindow window(64, 48);
    ASSERT_TRUE(window.ok());
    ASSERT_TRUE(load_textures());
    EXPECT_TRUE(window.boxes.boxes.empty());

    // Afterwards: the start picture bound, texturing off, unpack alignment
    // as it was.
    EXPECT_EQ(static_cast<GLuint>(gl_int(GL_TEXTURE_BINDING_2D)), resources.texture_ids[start_picture_slot]);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(gl_int(GL_UNPACK_ALIGNMENT), 4);

    // Slots 3 and 4: generated names that nothing bound.
    for (int i = 0; i < 5; ++i) {
        EXPECT_NE(resources.texture_ids[i], 0u);
        for (int j = 0; j < i; ++j)
            EXPECT_NE(resources.texture_ids[i], resources.texture_ids[j]);
    }
    EXPECT_FALSE(glIsTexture(resources.texture_ids[3]));
    EXPECT_FALSE(glIsTexture(resources.texture_ids[4]));

    const char* files[3] = {"files/tunnel.bmp", "files/star.bmp", "files/load.bmp"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(files[i]);
        EXPECT_TRUE(glIsTexture(resources.texture_ids[i]));
        glBindTexture(GL_TEXTURE_2D, resources.texture_ids[i]);
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
        EXPECT_EQ(value, GL_LINEAR);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
        EXPECT_EQ(value, GL_LINEAR_MIPMAP_NEAREST);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
        EXPECT_EQ(value, GL_REPEAT);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
        EXPECT_EQ(value, GL_REPEAT);

        RgbImage* image = read_dib_file(files[i]);
        ASSERT_NE(image, nullptr);
        GLint width = 0, height = 0, format = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        EXPECT_EQ(width, image->width);
        EXPECT_EQ(height, image->height);
        EXPECT_TRUE(format == GL_RGB || format == 3 || format == GL_RGB8) << format;
        // A full chain: the last level is 1 x 1.
        int levels = 0;
        for (int s = image->width; s > 1; s /= 2)
            ++levels;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, levels, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, levels, GL_TEXTURE_HEIGHT, &height);
        EXPECT_EQ(width, 1);
        EXPECT_EQ(height, 1);
        // Level 0 holds the picture as read, bottom row at t = 0.
        std::vector<unsigned char> texels = texture_level0(resources.texture_ids[i], image->width, image->height);
        EXPECT_TRUE(std::equal(texels.begin(), texels.end(), image->data));
        free_rgb_image(image);
    }
}

TEST(Textures, PicturesOfAnyWidthUploadUnpadded)
{
    // Mended: rows of 3 and 6 bytes upload as they are (unpack alignment 1).
    GlTestWindow window(64, 48);
    ASSERT_TRUE(window.ok());
    MediaFolder media;
    media.write("tunnel.bmp", small_picture(2, 2, 5));
    media.write("star.bmp", small_picture(1, 4, 9));
    media.write("load.bmp", small_picture(2, 8, 1));
    ASSERT_TRUE(load_textures());
    const char* names[3] = {"files/tunnel.bmp", "files/star.bmp", "files/load.bmp"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(names[i]);
        RgbImage* image = read_dib_file(names[i]);
        ASSERT_NE(image, nullptr);
        std::vector<unsigned char> texels = texture_level0(resources.texture_ids[i], image->width, image->height);
        EXPECT_TRUE(std::equal(texels.begin(), texels.end(), image->data));
        free_rgb_image(image);
    }
}

TEST(Textures, MissingStarStopsSilentlyBeforeTheStartPicture)
{
    GlTestWindow window(64, 48);
    ASSERT_TRUE(window.ok());
    MediaFolder media;
    media.copy_picture("tunnel.bmp");
    media.copy_picture("load.bmp");

    int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, "files/load.bmp", IN_OPEN | IN_ACCESS), 0);

    const std::size_t before = heap_in_use();
    EXPECT_FALSE(load_textures());
    const std::size_t after = heap_in_use();

    EXPECT_TRUE(window.boxes.boxes.empty());
    char events[4096];
    EXPECT_LT(read(watch, events, sizeof events), 0) << "files/load.bmp was opened";
    close(watch);
    EXPECT_TRUE(all_zero(resources.texture_ids));
    // The tunnel image (786,432 bytes of pixels) was released.
    EXPECT_LT(after, before + 100000);
    // No name was generated: the first name is still free.
    GLuint first = 0;
    glGenTextures(1, &first);
    EXPECT_EQ(first, 1u);
}

TEST(Textures, UnreadableStartPictureShowsTheReadersMessage)
{
    GlTestWindow window(64, 48);
    ASSERT_TRUE(window.ok());
    MediaFolder media;
    media.copy_picture("tunnel.bmp");
    media.copy_picture("star.bmp");
    std::string text = "This is not a picture; it is sixty-four bytes of plain text.....";
    ASSERT_EQ(text.size(), 64u);
    media.write("load.bmp", bmp::Bytes(text.begin(), text.end()));

    const std::size_t before = heap_in_use();
    EXPECT_FALSE(load_textures());
    const std::size_t after = heap_in_use();

    ASSERT_EQ(window.boxes.boxes.size(), 1u);
    EXPECT_EQ(window.boxes.boxes[0].text, "Unknown DIB file format.");
    EXPECT_EQ(window.boxes.boxes[0].caption, "Error");
    EXPECT_TRUE(all_zero(resources.texture_ids));
    EXPECT_LT(after, before + 100000); // both pictures released
    GLuint first = 0;
    glGenTextures(1, &first);
    EXPECT_EQ(first, 1u);
}

// A pipe, a folder or a device under a picture's name is no picture: like
// a missing one it stops the loading without a message, and the pipe is not
// waited on (before, its existence probe waited for ever for a writer).
TEST(Textures, PipeFolderOrDeviceFailsSilentlyLikeAMissingPicture)
{
    GlTestWindow window(64, 48);
    ASSERT_TRUE(window.ok());
    MediaFolder media;
    media.copy_picture("star.bmp");
    media.copy_picture("load.bmp");
    {
        PipeGuard pipe(media.path + "/files/tunnel.bmp");
        ASSERT_TRUE(pipe.made());
        EXPECT_FALSE(load_textures());
        EXPECT_FALSE(pipe.had_to_release()) << "the probe waited for a writer";
    }
    media.copy_picture("tunnel.bmp");
    std::filesystem::remove(media.path + "/files/star.bmp");
    std::filesystem::create_directory(media.path + "/files/star.bmp");
    EXPECT_FALSE(load_textures());
    std::filesystem::remove(media.path + "/files/star.bmp");
    media.copy_picture("star.bmp");
    std::filesystem::remove(media.path + "/files/load.bmp");
    std::filesystem::create_symlink("/dev/zero", media.path + "/files/load.bmp");
    EXPECT_FALSE(load_textures());

    EXPECT_TRUE(window.boxes.boxes.empty());
    EXPECT_TRUE(all_zero(resources.texture_ids));
    GLuint first = 0;
    glGenTextures(1, &first);
    EXPECT_EQ(first, 1u);
}

TEST(Textures, NullPathReadsNothing)
{
    BoxRecorder recorder;
    EXPECT_EQ(load_bmp(nullptr), nullptr);
    EXPECT_TRUE(recorder.boxes.empty());
    // A missing file: no message either.
    EXPECT_EQ(load_bmp("files/no-such-picture.bmp"), nullptr);
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST(Textures, FirstFrameShowsTheStartPictureCentre)
{
    // Scene -1 draws the picture square in the middle of the view; its
    // centre pixel on screen is the picture's centre.
    GlTestWindow window(800, 600);
    ASSERT_TRUE(window.ok());
    ASSERT_TRUE(init_gl());
    start_scripted_frame_timer();
    ASSERT_EQ(shared.scene_index, -1);
    draw_frame_after(0.02);
    unsigned char on_screen[4];
    window.pixel(400, 300, on_screen);

    RgbImage* image = read_dib_file("files/load.bmp");
    ASSERT_NE(image, nullptr);
    // Average of the picture's middle 8 x 8 texels: the screen samples a
    // mipmap level near there.
    int sum[3] = {0, 0, 0};
    for (int y = image->height / 2 - 4; y < image->height / 2 + 4; ++y)
        for (int x = image->width / 2 - 4; x < image->width / 2 + 4; ++x)
            for (int c = 0; c < 3; ++c)
                sum[c] += image->data[(static_cast<std::size_t>(y) * image->width + x) * 3 + c];
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(on_screen[c], sum[c] / 64.0, 12.0) << "channel " << c;
    // And it is not the same colour everywhere: the corners of the view
    // stay black around the square.
    unsigned char corner[4];
    window.pixel(5, 5, corner);
    EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);
    free_rgb_image(image);
}
