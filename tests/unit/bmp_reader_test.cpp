// The BMP reader on real files: every header form, bit count and
// compression against known pixels, and damaged files of every kind.
#include "resources/bmp_reader.h"

#include "bmp_builder.h"
#include "platform/messages.h"
#include "harness/test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using bmp::Bytes;
using bmp::Layout;
using bmp::Rgb;

const char* const conversion_error = "Image file conversion error.";

struct TempFolder {
    std::string path;
    TempFolder()
    {
        char name[] = "/tmp/elka-bmp-XXXXXX";
        path = mkdtemp(name);
    }
    ~TempFolder() { std::filesystem::remove_all(path); }
};

// Reads `bytes` as a file through read_dib_file, recording the boxes.
struct Read {
    RgbImage* image = nullptr;
    std::vector<RecordedBox> boxes;
    ~Read() { free_rgb_image(image); }
};

void read_bytes(const Bytes& bytes, Read* out)
{
    TempFolder folder;
    std::string path = folder.path + "/picture.bmp";
    ASSERT_TRUE(bmp::write_file(path, bytes));
    BoxRecorder recorder;
    out->image = read_dib_file(path.c_str());
    out->boxes = recorder.boxes;
}

// The image's pixels, bottom row first.
std::vector<Rgb> pixels_of(const RgbImage* image)
{
    std::vector<Rgb> out;
    for (int i = 0; i < image->width * image->height; ++i)
        out.push_back({image->data[i * 3], image->data[i * 3 + 1], image->data[i * 3 + 2]});
    return out;
}

void expect_image(const Bytes& bytes, int width, int height, const std::vector<Rgb>& expected)
{
    Read r;
    read_bytes(bytes, &r);
    ASSERT_NE(r.image, nullptr) << (r.boxes.empty() ? "" : r.boxes[0].text);
    EXPECT_TRUE(r.boxes.empty());
    EXPECT_EQ(r.image->width, width);
    EXPECT_EQ(r.image->height, height);
    EXPECT_EQ(pixels_of(r.image), expected);
}

void expect_failure(const Bytes& bytes, const std::string& text)
{
    Read r;
    read_bytes(bytes, &r);
    EXPECT_EQ(r.image, nullptr);
    ASSERT_EQ(r.boxes.size(), 1u);
    EXPECT_EQ(r.boxes[0].text, text);
    EXPECT_EQ(r.boxes[0].caption, "Error");
    EXPECT_EQ(r.boxes[0].style, MB_OK);
}

Rgb pattern(int x, int y) { return {static_cast<unsigned char>(x * 20 + y), static_cast<unsigned char>(100 + x), static_cast<unsigned char>(200 + y)}; }

// 24-bit rows of the pattern, bottom row first, as the file stores them.
Layout pattern_24(int width, int height)
{
    Layout l;
    l.width = width;
    l.height = height;
    std::vector<Bytes> rows;
    for (int y = 0; y < height; ++y) {
        Bytes row;
        for (int x = 0; x < width; ++x) {
            Rgb c = pattern(x, y);
            // One byte at a time: inserting the three as a list trips
            // GCC 12's false -Wstringop-overflow at -O3.
            row.push_back(c.b);
            row.push_back(c.g);
            row.push_back(c.r);
        }
        rows.push_back(row);
    }
    l.pixels = bmp::padded_rows(rows);
    return l;
}

std::vector<Rgb> expected_pattern(int width, int height)
{
    std::vector<Rgb> out;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.push_back(pattern(x, y));
    return out;
}

std::vector<Rgb> grey_palette(int n)
{
    std::vector<Rgb> p;
    for (int i = 0; i < n; ++i)
        p.push_back({static_cast<unsigned char>(i), static_cast<unsigned char>(255 - i), static_cast<unsigned char>(i * 7)});
    return p;
}

} // namespace

TEST(BmpReader, RowsOfEveryPaddingAreUnpaddedBottomRowFirst)
{
    for (int width = 3; width <= 7; ++width) {
        SCOPED_TRACE(width);
        Layout l = pattern_24(width, 3);
        EXPECT_EQ(l.pixels.size(), static_cast<std::size_t>((width * 3 + 3) / 4 * 4 * 3));
        expect_image(bmp::build(l), width, 3, expected_pattern(width, 3));
    }
}

TEST(BmpReader, RedAndBlueAreSwapped)
{
    Layout l;
    l.pixels = {0x10, 0x20, 0x30, 0};
    expect_image(bmp::build(l), 1, 1, {{0x30, 0x20, 0x10}});
}

TEST(BmpReader, EightBitsLookUpTheColourTable)
{
    std::vector<Rgb> palette = grey_palette(256);
    Layout l;
    l.width = 4;
    l.height = 2;
    l.bit_count = 8;
    l.palette = palette;
    l.pixels = {0, 255, 17, 128, 200, 1, 2, 3};
    expect_image(bmp::build(l), 4, 2,
                 {palette[0], palette[255], palette[17], palette[128], palette[200], palette[1], palette[2], palette[3]});

    // Sixteen colours used: a 16-entry table, the pixels right after it
    // (packed, no file header), and indices beyond the table black.
    Layout small = l;
    small.file_header = false;
    small.palette = grey_palette(16);
    small.colors_used = 16;
    small.pixels = {15, 16, 0, 255, 3, 4, 5, 6};
    Rgb black{0, 0, 0};
    expect_image(bmp::build(small), 4, 2, {palette[15], black, palette[0], black, palette[3], palette[4], palette[5], palette[6]});
}

TEST(BmpReader, PackedDibsOfEitherHeaderForm)
{
    Layout l = pattern_24(5, 2);
    l.file_header = false;
    expect_image(bmp::build(l), 5, 2, expected_pattern(5, 2));

    // 12-byte header: 16-bit sizes and 3-byte colour-table entries.
    Layout core;
    core.header_size = 12;
    core.file_header = false;
    core.width = 3;
    core.height = 2;
    core.bit_count = 4;
    core.palette = grey_palette(16);
    core.pixels = bmp::padded_rows({bmp::pack_indices({1, 2, 15}, 4), bmp::pack_indices({4, 0, 9}, 4)});
    std::vector<Rgb> p = core.palette;
    expect_image(bmp::build(core), 3, 2, {p[1], p[2], p[15], p[4], p[0], p[9]});
    core.file_header = true;
    expect_image(bmp::build(core), 3, 2, {p[1], p[2], p[15], p[4], p[0], p[9]});

    Layout core24 = pattern_24(3, 2);
    core24.header_size = 12;
    expect_image(bmp::build(core24), 3, 2, expected_pattern(3, 2));
}

TEST(BmpReader, LaterHeaderVersionsAreUnknown)
{
    for (std::uint32_t size : {108u, 124u, 64u, 0u}) {
        SCOPED_TRACE(size);
        Layout l = pattern_24(2, 2);
        l.header_size = size;
        expect_failure(bmp::build(l), "Unknown DIB file format.");
        l.file_header = false;
        expect_failure(bmp::build(l), "Unknown DIB file format.");
    }
}

TEST(BmpReader, EmptyAndMissingFilesFailToOpen)
{
    TempFolder folder;
    std::string empty = folder.path + "/empty.bmp";
    ASSERT_TRUE(bmp::write_file(empty, {}));
    BoxRecorder recorder;
    EXPECT_EQ(read_dib_file(empty.c_str()), nullptr);
    std::string missing = folder.path + "/missing.bmp";
    EXPECT_EQ(read_dib_file(missing.c_str()), nullptr);
    EXPECT_EQ(read_dib_file(folder.path.c_str()), nullptr); // a folder is not a file
    ASSERT_EQ(recorder.boxes.size(), 3u);
    EXPECT_EQ(recorder.boxes[0].text, "Failed to open DIB file " + empty + ".\n");
    EXPECT_EQ(recorder.boxes[1].text, "Failed to open DIB file " + missing + ".\n");
    EXPECT_EQ(recorder.boxes[2].text, "Failed to open DIB file " + folder.path + ".\n");
    for (const RecordedBox& box : recorder.boxes) {
        EXPECT_EQ(box.caption, "Error");
        EXPECT_EQ(box.style, MB_OK);
    }
}

TEST(BmpReader, LongPathIsCutToTheMessageBuffer)
{
    std::string path = "/tmp/" + std::string(1000, 'x') + ".bmp";
    BoxRecorder recorder;
    EXPECT_EQ(read_dib_file(path.c_str()), nullptr);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    const std::string full = "Failed to open DIB file " + path + ".\n";
    EXPECT_EQ(recorder.boxes[0].text, full.substr(0, 255));
}

TEST(BmpReader, OneAndFourBitIndices)
{
    std::vector<Rgb> two = {{9, 8, 7}, {250, 251, 252}};
    Layout l;
    l.width = 10; // crosses a byte boundary
    l.height = 2;
    l.bit_count = 1;
    l.palette = two;
    std::vector<unsigned> bottom = {1, 0, 0, 1, 1, 1, 0, 1, 0, 1}, top = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1};
    l.pixels = bmp::padded_rows({bmp::pack_indices(bottom, 1), bmp::pack_indices(top, 1)});
    std::vector<Rgb> expected;
    for (unsigned i : bottom)
        expected.push_back(two[i]);
    for (unsigned i : top)
        expected.push_back(two[i]);
    expect_image(bmp::build(l), 10, 2, expected);

    Layout four;
    four.width = 5;
    four.height = 1;
    four.bit_count = 4;
    four.palette = grey_palette(16);
    four.pixels = bmp::padded_rows({bmp::pack_indices({15, 0, 7, 8, 3}, 4)});
    std::vector<Rgb> p = four.palette;
    expect_image(bmp::build(four), 5, 1, {p[15], p[0], p[7], p[8], p[3]});
}

TEST(BmpReader, SixteenAndThirtyTwoBitPixels)
{
    // 16 bits, no compression: 5-5-5, the top bit ignored; five bits widen
    // to eight by repeating their top bits.
    Layout l;
    l.width = 4;
    l.height = 1;
    l.bit_count = 16;
    l.pixels = {0xFF, 0xFF, 0x00, 0x7C, 0xE0, 0x03, 0x10, 0x80};
    expect_image(bmp::build(l), 4, 1, {{255, 255, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 132}});

    // 16 bits with masks 5-6-5.
    Layout f = l;
    f.compression = 3;
    f.masks = {0xF800, 0x07E0, 0x001F};
    f.pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x41, 0x08};
    expect_image(bmp::build(f), 4, 1, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {8, 8, 8}});
    f.file_header = false; // packed: the pixels follow the three masks
    expect_image(bmp::build(f), 4, 1, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {8, 8, 8}});

    // 32 bits, no compression: blue, green, red, unused.
    Layout t;
    t.width = 2;
    t.height = 1;
    t.bit_count = 32;
    t.pixels = {1, 2, 3, 99, 40, 50, 60, 0};
    expect_image(bmp::build(t), 2, 1, {{3, 2, 1}, {60, 50, 40}});

    // 32 bits with masks in red-green-blue byte order, and 10-bit masks.
    Layout m = t;
    m.compression = 3;
    m.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    expect_image(bmp::build(m), 2, 1, {{1, 2, 3}, {40, 50, 60}});
    m.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
    std::uint32_t v = (1023u << 20) | (512u << 10) | 4u;
    m.pixels = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v >> 16),
                static_cast<unsigned char>(v >> 24), 0, 0, 0, 0};
    expect_image(bmp::build(m), 2, 1, {{255, 128, 1}, {0, 0, 0}});
}

TEST(BmpReader, RunLengthEightBits)
{
    std::vector<Rgb> p = grey_palette(8);
    Layout l;
    l.width = 6;
    l.height = 4;
    l.bit_count = 8;
    l.compression = 1;
    l.palette = p;
    l.colors_used = 8;
    l.pixels = {
        3, 1,          // row 0: three of 1
        0, 3, 2, 3, 4, 0, // absolute 2 3 4, padded to a word
        0, 0,          // end of line
        8, 5,          // row 1: a run past the right edge is cut
        0, 0,          // end of line
        0, 2, 2, 1,    // delta: two right, one up: row 2 is skipped, row 3 at x 2
        2, 7,          // two of 7
        0, 1,          // end of bitmap
    };
    Rgb k{0, 0, 0};
    expect_image(bmp::build(l), 6, 4,
                 {p[1], p[1], p[1], p[2], p[3], p[4],  //
                  p[5], p[5], p[5], p[5], p[5], p[5],  //
                  k, k, k, k, k, k,                    //
                  k, k, p[7], p[7], k, k});

    // The data ends before the end of the bitmap.
    l.pixels.erase(l.pixels.end() - 2, l.pixels.end());
    expect_failure(bmp::build(l), conversion_error);
    // An absolute run longer than the data.
    l.pixels = {0, 9, 1, 2, 3};
    expect_failure(bmp::build(l), conversion_error);
}

TEST(BmpReader, RunLengthFourBits)
{
    std::vector<Rgb> p = grey_palette(16);
    Layout l;
    l.width = 5;
    l.height = 2;
    l.bit_count = 4;
    l.compression = 2;
    l.palette = p;
    l.pixels = {
        5, 0x12,             // row 0: 1 2 1 2 1
        0, 0,                // end of line
        0, 3, 0x9A, 0xB0,    // absolute 9 A B (two bytes, already a word)
        0, 2, 1, 0,          // delta one right
        1, 0xF0,             // one of F
        0, 1,
    };
    Rgb k{0, 0, 0};
    expect_image(bmp::build(l), 5, 2, {p[1], p[2], p[1], p[2], p[1], p[9], p[10], p[11], k, p[15]});
}

TEST(BmpReader, TopDownRowsAreFlippedBottomFirst)
{
    // Mended: a negative height is converted too.
    Layout up = pattern_24(3, 3);
    Layout down = up;
    down.height = -3;
    std::vector<Bytes> rows;
    const std::size_t stride = 12;
    for (int y = 2; y >= 0; --y)
        rows.emplace_back(up.pixels.begin() + y * stride, up.pixels.begin() + (y + 1) * stride);
    down.pixels.clear();
    for (const Bytes& r : rows)
        down.pixels.insert(down.pixels.end(), r.begin(), r.end());
    expect_image(bmp::build(down), 3, 3, expected_pattern(3, 3));

    Layout indexed;
    indexed.width = 2;
    indexed.height = -2;
    indexed.bit_count = 8;
    indexed.palette = grey_palette(4);
    indexed.colors_used = 4;
    indexed.pixels = {3, 2, 0, 0, 1, 0, 0, 0}; // top row first
    std::vector<Rgb> p = indexed.palette;
    expect_image(bmp::build(indexed), 2, 2, {p[1], p[0], p[3], p[2]});

    // Run-length data is always bottom up: a negative height is refused.
    Layout rle;
    rle.height = -1;
    rle.bit_count = 8;
    rle.compression = 1;
    rle.pixels = {1, 0, 0, 1};
    expect_failure(bmp::build(rle), conversion_error);
}

TEST(BmpReader, OversizedAndEmptyDimensionsAreRefusedBeforeAllocating)
{
    // Mended: sizes that would overflow the buffer arithmetic, or exceed
    // 16384 in either direction, or are empty.
    struct Case {
        std::int32_t width, height;
    };
    for (Case c : {Case{16385, 1}, Case{1, 16385}, Case{1, -16385}, Case{1, INT_MIN}, Case{INT_MIN, 1},
                   Case{-5, 2}, Case{0, 2}, Case{2, 0}, Case{0x7FFFFFFF, 0x7FFFFFFF}}) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        Layout l;
        l.width = c.width;
        l.height = c.height;
        l.pixels = Bytes(64, 0x55);
        expect_failure(bmp::build(l), conversion_error);
    }
    // The largest width is read.
    Layout wide;
    wide.width = 16384;
    wide.height = 1;
    wide.pixels = Bytes(16384 * 3, 0x42);
    Read r;
    read_bytes(bmp::build(wide), &r);
    ASSERT_NE(r.image, nullptr);
    EXPECT_EQ(r.image->width, 16384);
    EXPECT_EQ(r.image->data[16384 * 3 - 1], 0x42);
}

TEST(BmpReader, UnsupportedFormsAreConversionErrors)
{
    auto with = [](std::uint16_t bits, std::uint32_t compression) {
        Layout l;
        l.width = 2;
        l.height = 2;
        l.bit_count = bits;
        l.compression = compression;
        l.pixels = Bytes(32, 0);
        return l;
    };
    for (Layout l : {with(2, 0), with(0, 4), with(24, 5), with(64, 0), with(8, 2), with(4, 1), with(24, 3), with(8, 3),
                     with(16, 6)})
        expect_failure(bmp::build(l), conversion_error);

    Layout gaps = with(16, 3);
    gaps.masks = {0xF00F, 0x00F0, 0x0F00}; // not one run of bits
    expect_failure(bmp::build(gaps), conversion_error);
    Layout wide_mask = with(16, 3);
    wide_mask.masks = {0x1F0000, 0x07E0, 0x001F}; // beyond 16 bits
    expect_failure(bmp::build(wide_mask), conversion_error);
}

TEST(BmpReader, TruncatedFilesFailAtEverySection)
{
    // Mended: nothing is read past the end of the file. Every cut of these
    // files (file header, info header, masks, colour table, pixels) fails
    // with one message and no image.
    Layout indexed;
    indexed.width = 4;
    indexed.height = 2;
    indexed.bit_count = 8;
    indexed.palette = grey_palette(4);
    indexed.colors_used = 4;
    indexed.pixels = {0, 1, 2, 3, 3, 2, 1, 0};
    Layout fields;
    fields.width = 2;
    fields.height = 2;
    fields.bit_count = 16;
    fields.compression = 3;
    fields.masks = {0xF800, 0x07E0, 0x001F};
    fields.pixels = Bytes(8, 0x33);
    Layout rle = indexed;
    rle.compression = 1;
    rle.pixels = {4, 1, 0, 0, 0, 4, 3, 2, 1, 0, 0, 1};
    Layout core = pattern_24(4, 2);
    core.header_size = 12;
    Layout packed = indexed;
    packed.file_header = false;

    for (const Layout& l : {indexed, fields, rle, core, packed, pattern_24(4, 3)}) {
        Bytes whole = bmp::build(l);
        {
            Read r;
            read_bytes(whole, &r);
            ASSERT_NE(r.image, nullptr);
        }
        for (std::size_t cut = 1; cut < whole.size(); ++cut) {
            SCOPED_TRACE(cut);
            expect_failure(Bytes(whole.begin(), whole.begin() + cut), conversion_error);
        }
    }
}

TEST(BmpReader, OffsetsPastTheEndAreConversionErrors)
{
    Layout l = pattern_24(2, 2);
    l.data_offset = 0x7FFFFFF0;
    expect_failure(bmp::build(l), conversion_error);
    l.data_offset = 0xFFFFFFFF;
    expect_failure(bmp::build(l), conversion_error);
    // A colour table said to be far longer than the file.
    Layout t;
    t.width = 1;
    t.bit_count = 8;
    t.colors_used = 60000;
    t.palette = grey_palette(2);
    t.pixels = {1, 0, 0, 0};
    t.data_offset = 14 + 40 + 8;
    expect_failure(bmp::build(t), conversion_error);
    // An offset inside the headers is only odd, not out of bounds.
    Layout inside = pattern_24(1, 1);
    inside.data_offset = 14;
    Read r;
    read_bytes(bmp::build(inside), &r);
    ASSERT_NE(r.image, nullptr);
    EXPECT_EQ(pixels_of(r.image), (std::vector<Rgb>{{0, 0, 40}})); // the header's first bytes: 40, 0, 0
}

TEST(BmpReader, ColourCountOfBothHeaderForms)
{
    auto count = [](std::uint32_t header, std::uint16_t bits, std::uint32_t used) {
        Layout l;
        l.header_size = header;
        l.bit_count = bits;
        l.colors_used = used;
        l.file_header = false;
        Bytes b = bmp::build(l);
        return dib_color_count(b.data());
    };
    EXPECT_EQ(count(12, 1, 0), 2);
    EXPECT_EQ(count(12, 4, 0), 16);
    EXPECT_EQ(count(12, 8, 0), 256);
    EXPECT_EQ(count(12, 24, 0), 0);
    EXPECT_EQ(count(40, 8, 0), 256);
    EXPECT_EQ(count(40, 8, 16), 16);
    EXPECT_EQ(count(40, 24, 5), 5);
    EXPECT_EQ(count(40, 16, 0), 0);
    EXPECT_EQ(count(40, 8, 0x10005), 5); // only the low 16 bits count
}

TEST(BmpReader, EverySampleFormReads)
{
    for (const bmp::Sample& s : bmp::samples()) {
        SCOPED_TRACE(s.name);
        Read r;
        read_bytes(s.bytes, &r);
        ASSERT_NE(r.image, nullptr) << (r.boxes.empty() ? "" : r.boxes[0].text);
        EXPECT_TRUE(r.boxes.empty());
    }
}

TEST(BmpReader, RegressionCorpusReadsSafely)
{
    // Inputs that once broke the reader, or that are built to break one:
    // read without crash or out-of-bounds access (the sanitizer build
    // checks), one message on failure, none on success.
    const std::filesystem::path folder = source_dir() + "/tests/fuzz/regressions";
    ASSERT_TRUE(std::filesystem::is_directory(folder));
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        SCOPED_TRACE(entry.path().string());
        ++files;
        BoxRecorder recorder;
        RgbImage* image = read_dib_file(entry.path().c_str());
        if (image) {
            EXPECT_TRUE(recorder.boxes.empty());
            EXPECT_GT(image->width, 0);
            EXPECT_GT(image->height, 0);
            std::size_t bytes = static_cast<std::size_t>(image->width) * image->height * 3;
            volatile unsigned char last = image->data[bytes - 1];
            (void)last;
        } else {
            EXPECT_EQ(recorder.boxes.size(), 1u);
        }
        free_rgb_image(image);
    }
    EXPECT_GT(files, 0);
}
