// The BMP reader. The whole file is read into memory and every offset and
// size in it is checked against the file's length before use; the pixels of
// any supported bit count and compression are then converted into unpadded
// red-green-blue rows, bottom row first, in one pass.
#include "resources/bmp_reader.h"

#include "platform/media_files.h"
#include "platform/message_box.h"
#include "platform/messages.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* const unknown_format_text = "Unknown DIB file format.";
const char* const out_of_memory_text = "Out of memory.";
const char* const conversion_error_text = "Image file conversion error.";

constexpr std::uint32_t bi_rgb = 0;
constexpr std::uint32_t bi_rle8 = 1;
constexpr std::uint32_t bi_rle4 = 2;
constexpr std::uint32_t bi_bitfields = 3;

void show_error(const char* text) { platform_message_box(text, "Error", MB_OK); }

std::uint16_t u16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t u32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The info header in one form, whichever form the file has.
struct SourceHeader {
    std::int64_t width = 0;
    std::int64_t height = 0; // negative: rows stored top down
    std::uint16_t bit_count = 0;
    std::uint32_t compression = bi_rgb;
};

// One channel of a bit-field pixel: where it sits and how wide it is.
struct Channel {
    unsigned shift = 0;
    unsigned bits = 0;
};

// False for a mask whose bits are not one contiguous run.
bool make_channel(std::uint32_t mask, Channel* channel)
{
    *channel = Channel{};
    if (mask == 0)
        return true;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++channel->shift;
    }
    if ((mask & (mask + 1)) != 0)
        return false;
    while (mask) {
        mask >>= 1;
        ++channel->bits;
    }
    return true;
}

// A channel value widened or narrowed to 8 bits; narrow values repeat their
// bits downwards so that full intensity stays 255.
unsigned char channel_byte(std::uint32_t pixel, const Channel& c)
{
    if (c.bits == 0)
        return 0;
    std::uint32_t v = (pixel >> c.shift) & ((c.bits >= 32) ? 0xFFFFFFFFu : ((1u << c.bits) - 1));
    if (c.bits >= 8)
        return static_cast<unsigned char>(v >> (c.bits - 8));
    std::uint32_t out = 0;
    unsigned filled = 0;
    while (filled < 8) {
        out = out << c.bits | v;
        filled += c.bits;
    }
    return static_cast<unsigned char>(out >> (filled - 8));
}

// Colour table as red, green, blue; an index past its end is black.
struct Palette {
    unsigned count = 0; // entries kept: at most 256, all an index can reach
    unsigned char rgb[256][3] = {};

    void put(unsigned index, unsigned char* out) const
    {
        if (index < count) {
            out[0] = rgb[index][0];
            out[1] = rgb[index][1];
            out[2] = rgb[index][2];
        } else {
            out[0] = out[1] = out[2] = 0;
        }
    }
};

bool supported(const SourceHeader& h)
{
    switch (h.compression) {
    case bi_rgb:
        return h.bit_count == 1 || h.bit_count == 4 || h.bit_count == 8 || h.bit_count == 16 ||
               h.bit_count == 24 || h.bit_count == 32;
    case bi_rle8:
        return h.bit_count == 8 && h.height > 0;
    case bi_rle4:
        return h.bit_count == 4 && h.height > 0;
    case bi_bitfields:
        return h.bit_count == 16 || h.bit_count == 32;
    default:
        return false;
    }
}

// Uncompressed rows (each padded to 4 bytes in the file) into `out`.
void convert_rows(const SourceHeader& h, const unsigned char* pixels, const Palette& palette,
                  const Channel channels[3], unsigned char* out)
{
    const std::size_t width = static_cast<std::size_t>(h.width);
    const std::size_t rows = static_cast<std::size_t>(h.height < 0 ? -h.height : h.height);
    const std::size_t stride = (h.bit_count * width + 31) / 32 * 4;
    for (std::size_t r = 0; r < rows; ++r) {
        const unsigned char* src = pixels + r * stride;
        // Top-down files are flipped so that the first row is the bottom one.
        std::size_t out_row = h.height < 0 ? rows - 1 - r : r;
        unsigned char* dst = out + out_row * width * 3;
        for (std::size_t x = 0; x < width; ++x, dst += 3) {
            switch (h.bit_count) {
            case 1:
                palette.put((src[x >> 3] >> (7 - (x & 7))) & 1u, dst);
                break;
            case 4:
                palette.put((x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4), dst);
                break;
            case 8:
                palette.put(src[x], dst);
                break;
            case 24:
                dst[0] = src[x * 3 + 2];
                dst[1] = src[x * 3 + 1];
                dst[2] = src[x * 3];
                break;
            case 16:
            case 32: {
                std::uint32_t v = h.bit_count == 16 ? u16(src + x * 2) : u32(src + x * 4);
                dst[0] = channel_byte(v, channels[0]);
                dst[1] = channel_byte(v, channels[1]);
                dst[2] = channel_byte(v, channels[2]);
                break;
            }
            }
        }
    }
}

// Run-length encoded rows (8 or 4 bits a pixel, bottom up) into `out`, which
// is zero-filled: pixels the encoding skips stay black, pixels past the
// right edge are dropped. False when the data runs out before an end of
// bitmap or the top row has been passed.
bool convert_rle(const SourceHeader& h, const unsigned char* p, const unsigned char* end,
                 const Palette& palette, unsigned char* out)
{
    const bool four = h.bit_count == 4;
    const std::uint64_t width = static_cast<std::uint64_t>(h.width);
    const std::uint64_t rows = static_cast<std::uint64_t>(h.height);
    std::uint64_t x = 0, y = 0;
    auto put = [&](std::uint64_t at, unsigned index) {
        palette.put(index, out + (y * width + at) * 3);
    };
    while (y < rows) {
        if (end - p < 2)
            return false;
        unsigned n = p[0], c = p[1];
        p += 2;
        if (n > 0) { // a run of one index (two alternating ones for 4 bits)
            for (unsigned i = 0; i < n && x + i < width; ++i)
                put(x + i, four ? ((i & 1) ? (c & 0x0F) : (c >> 4)) : c);
            x += n;
            continue;
        }
        switch (c) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return true;
        case 2: // delta: right and up
            if (end - p < 2)
                return false;
            x += p[0];
            y += p[1];
            p += 2;
            break;
        default: { // absolute: c indices, padded to a 16-bit boundary
            std::size_t bytes = four ? (c + 1) / 2 : c;
            std::size_t padded = (bytes + 1) & ~static_cast<std::size_t>(1);
            if (static_cast<std::size_t>(end - p) < padded)
                return false;
            for (unsigned i = 0; i < c && x + i < width; ++i)
                put(x + i, four ? ((i & 1) ? (p[i >> 1] & 0x0F) : (p[i >> 1] >> 4)) : p[i]);
            x += c;
            p += padded;
            break;
        }
        }
    }
    return true;
}

// Where a DIB's parts lie in memory, as its headers give them.
struct DibLayout {
    SourceHeader h;
    std::int64_t rows = 0;
    std::uint64_t masks_at = 0;   // the three bit-field masks, when there are any
    std::uint64_t table_at = 0;   // the colour table
    std::uint64_t entry_size = 0; // of a colour-table entry: 3 or 4 bytes
    unsigned count = 0;           // colour-table entries
    std::uint64_t pixels_at = 0;
};

// The file header (when there is one) and the info header, with every
// size and dimension in them checked against the file. False, with the
// error shown, for a damaged or unsupported file.
bool read_headers(const unsigned char* bytes, std::size_t size, DibLayout* layout)
{
    std::size_t header_at = 0;
    bool file_header = false;
    if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        if (size < 14) {
            show_error(conversion_error_text);
            return false;
        }
        layout->pixels_at = u32(bytes + 10);
        header_at = 14;
        file_header = true;
    }
    if (size - header_at < 4) {
        show_error(conversion_error_text);
        return false;
    }
    const unsigned char* header = bytes + header_at;
    const std::uint32_t header_size = u32(header);
    if (header_size != 12 && header_size != 40) {
        show_error(unknown_format_text);
        return false;
    }
    if (size - header_at < header_size) {
        show_error(conversion_error_text);
        return false;
    }

    SourceHeader& h = layout->h;
    if (header_size == 12) {
        h.width = u16(header + 4);
        h.height = u16(header + 6);
        h.bit_count = u16(header + 10);
    } else {
        h.width = static_cast<std::int32_t>(u32(header + 4));
        h.height = static_cast<std::int32_t>(u32(header + 8));
        h.bit_count = u16(header + 14);
        h.compression = u32(header + 16);
    }
    layout->count = dib_color_count(header);

    // A 40-byte header with bit fields is followed by its three masks, and
    // then by the colour table.
    layout->masks_at = header_at + header_size;
    layout->table_at = layout->masks_at + (h.compression == bi_bitfields ? 12 : 0);
    layout->entry_size = header_size == 12 ? 3 : 4;
    const std::uint64_t table_end = layout->table_at + layout->entry_size * layout->count;
    if (table_end > size) {
        show_error(conversion_error_text);
        return false;
    }
    if (!file_header)
        layout->pixels_at = table_end;

    layout->rows = h.height < 0 ? -h.height : h.height;
    if (h.width <= 0 || layout->rows == 0 || h.width > dib_max_dimension || layout->rows > dib_max_dimension ||
        !supported(h)) {
        show_error(conversion_error_text);
        return false;
    }
    return true;
}

// The channels of 16- and 32-bit pixels: the fixed ones of uncompressed
// pixels, or the file's masks. False, with the error shown, for a mask
// wider than the pixel or not one run of bits.
bool read_channels(const unsigned char* bytes, const DibLayout& layout, Channel channels[3])
{
    const SourceHeader& h = layout.h;
    if (h.bit_count == 16 && h.compression == bi_rgb) { // 5-5-5
        make_channel(0x7C00, &channels[0]);
        make_channel(0x03E0, &channels[1]);
        make_channel(0x001F, &channels[2]);
    } else if (h.bit_count == 32 && h.compression == bi_rgb) {
        make_channel(0x00FF0000, &channels[0]);
        make_channel(0x0000FF00, &channels[1]);
        make_channel(0x000000FF, &channels[2]);
    } else if (h.compression == bi_bitfields) {
        const std::uint32_t limit = h.bit_count == 16 ? 0xFFFFu : 0xFFFFFFFFu;
        for (int i = 0; i < 3; ++i) {
            std::uint32_t mask = u32(bytes + layout.masks_at + 4 * i);
            if ((mask & ~limit) != 0 || !make_channel(mask, &channels[i])) {
                show_error(conversion_error_text);
                return false;
            }
        }
    }
    return true;
}

// The colour table, already checked to lie within the file.
void read_palette(const unsigned char* bytes, const DibLayout& layout, Palette* palette)
{
    palette->count = layout.count < 256 ? layout.count : 256;
    for (unsigned i = 0; i < palette->count; ++i) {
        const unsigned char* e = bytes + layout.table_at + layout.entry_size * i;
        palette->rgb[i][0] = e[2];
        palette->rgb[i][1] = e[1];
        palette->rgb[i][2] = e[0];
    }
}

// False, with the error shown, when the pixels start past the end of the
// file or, uncompressed, do not all lie within it.
bool pixels_fit(std::size_t size, const DibLayout& layout)
{
    const SourceHeader& h = layout.h;
    const std::uint64_t width = static_cast<std::uint64_t>(h.width);
    const bool rle = h.compression == bi_rle8 || h.compression == bi_rle4;
    if (layout.pixels_at > size) {
        show_error(conversion_error_text);
        return false;
    }
    if (!rle) {
        // The last row's padding may be missing; its pixels may not.
        const std::uint64_t stride = (h.bit_count * width + 31) / 32 * 4;
        const std::uint64_t needed =
            stride * static_cast<std::uint64_t>(layout.rows - 1) + (h.bit_count * width + 7) / 8;
        if (size - layout.pixels_at < needed) {
            show_error(conversion_error_text);
            return false;
        }
    }
    return true;
}

// The pixels as red-green-blue rows, bottom row first, in memory of their
// own; null, with the error shown, when there is no memory for them or
// run-length data is damaged.
unsigned char* read_pixels(const unsigned char* bytes, std::size_t size, const DibLayout& layout,
                           const Palette& palette, const Channel channels[3])
{
    const SourceHeader& h = layout.h;
    const std::uint64_t width = static_cast<std::uint64_t>(h.width);
    const bool rle = h.compression == bi_rle8 || h.compression == bi_rle4;
    const std::size_t out_size = static_cast<std::size_t>(width * static_cast<std::uint64_t>(layout.rows) * 3);
    // Run-length data may skip pixels, which stay black: start from zeros.
    unsigned char* data = static_cast<unsigned char*>(rle ? std::calloc(out_size, 1) : std::malloc(out_size));
    if (!data) {
        show_error(out_of_memory_text);
        return nullptr;
    }
    if (rle) {
        if (!convert_rle(h, bytes + layout.pixels_at, bytes + size, palette, data)) {
            show_error(conversion_error_text);
            std::free(data);
            return nullptr;
        }
    } else {
        convert_rows(h, bytes + layout.pixels_at, palette, channels, data);
    }
    return data;
}

} // namespace

void free_rgb_image(RgbImage* image)
{
    if (image) {
        std::free(image->data);
        std::free(image);
    }
}

unsigned short dib_color_count(const unsigned char* header)
{
    std::uint32_t size = u32(header);
    std::uint16_t bit_count;
    if (size == 12) {
        bit_count = u16(header + 10);
    } else {
        bit_count = u16(header + 14);
        std::uint32_t used = u32(header + 32);
        if (used != 0)
            return static_cast<unsigned short>(used);
    }
    switch (bit_count) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

RgbImage* read_dib_memory(const unsigned char* bytes, std::size_t size)
{
    if (!bytes)
        size = 0;
    DibLayout layout;
    Channel channels[3];
    if (!read_headers(bytes, size, &layout) || !read_channels(bytes, layout, channels))
        return nullptr;
    Palette palette;
    read_palette(bytes, layout, &palette);
    if (!pixels_fit(size, layout))
        return nullptr;
    unsigned char* data = read_pixels(bytes, size, layout, palette, channels);
    if (!data)
        return nullptr;

    RgbImage* image = static_cast<RgbImage*>(std::malloc(sizeof(RgbImage)));
    if (!image) {
        show_error(out_of_memory_text);
        std::free(data);
        return nullptr;
    }
    image->width = static_cast<std::int32_t>(layout.h.width);
    image->height = static_cast<std::int32_t>(layout.rows);
    image->data = data;
    return image;
}

RgbImage* read_dib_file(const char* path)
{
    // Only a regular, non-empty file is read: never a pipe or a device.
    std::size_t size = 0;
    unsigned char* file = path ? platform_read_media_file(path, &size) : nullptr;
    if (!file) {
        // The path is cut rather than overrunning the message buffer.
        char text[256];
        std::snprintf(text, sizeof text, "Failed to open DIB file %s.\n", path ? path : "(null)");
        show_error(text);
        return nullptr;
    }
    RgbImage* image = read_dib_memory(file, size);
    platform_free_media_file(file);
    return image;
}
