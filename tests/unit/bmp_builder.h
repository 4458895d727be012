// Builds bitmap files byte by byte for the reader's tests and the fuzzer's
// seeds: either header form, with or without the file header, any bit
// count, compression, colour table and pixel bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace bmp {

using Bytes = std::vector<unsigned char>;

struct Rgb {
    unsigned char r, g, b;
    bool operator==(const Rgb&) const = default;
};

struct Layout {
    std::uint32_t header_size = 40; // 12 and 40 are read; others are for refusal
    bool file_header = true;
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bit_count = 24;
    std::uint32_t compression = 0;
    std::uint32_t colors_used = 0;      // 40-byte header only
    std::vector<std::uint32_t> masks;   // written right after a 40-byte header
    std::vector<Rgb> palette;           // 3- or 4-byte entries by header form
    Bytes pixels;                       // as stored in the file
    std::int64_t data_offset = -1;      // file header's offset; -1: right after the table
};

inline void put16(Bytes& b, std::uint32_t v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
inline void put32(Bytes& b, std::uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

inline Bytes build(const Layout& l)
{
    Bytes info;
    put32(info, l.header_size);
    if (l.header_size == 12) {
        put16(info, static_cast<std::uint32_t>(l.width));
        put16(info, static_cast<std::uint32_t>(l.height));
        put16(info, 1);
        put16(info, l.bit_count);
    } else {
        put32(info, static_cast<std::uint32_t>(l.width));
        put32(info, static_cast<std::uint32_t>(l.height));
        put16(info, 1);
        put16(info, l.bit_count);
        put32(info, l.compression);
        put32(info, static_cast<std::uint32_t>(l.pixels.size()));
        put32(info, 2835);
        put32(info, 2835);
        put32(info, l.colors_used);
        put32(info, 0);
        while (info.size() < l.header_size) // the later, longer header forms
            info.push_back(0);
    }
    for (std::uint32_t m : l.masks)
        put32(info, m);
    for (const Rgb& c : l.palette) {
        info.push_back(c.b);
        info.push_back(c.g);
        info.push_back(c.r);
        if (l.header_size != 12)
            info.push_back(0);
    }
    Bytes file;
    if (l.file_header) {
        std::uint32_t offset = l.data_offset >= 0 ? static_cast<std::uint32_t>(l.data_offset)
                                                  : static_cast<std::uint32_t>(14 + info.size());
        file.push_back('B');
        file.push_back('M');
        put32(file, static_cast<std::uint32_t>(14 + info.size() + l.pixels.size()));
        put32(file, 0);
        put32(file, offset);
    }
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), l.pixels.begin(), l.pixels.end());
    return file;
}

// Rows of stored bytes, each padded to a multiple of 4 bytes, in the order given.
inline Bytes padded_rows(const std::vector<Bytes>& rows)
{
    Bytes out;
    for (const Bytes& row : rows) {
        out.insert(out.end(), row.begin(), row.end());
        while (out.size() % 4)
            out.push_back(0);
    }
    return out;
}

// Indices packed at 1, 4 or 8 bits, most significant first.
inline Bytes pack_indices(const std::vector<unsigned>& indices, int bits)
{
    Bytes out((indices.size() * bits + 7) / 8, 0);
    for (std::size_t i = 0; i < indices.size(); ++i) {
        std::size_t bit = i * bits;
        out[bit / 8] |= static_cast<unsigned char>(indices[i] << (8 - bits - bit % 8));
    }
    return out;
}

inline bool write_file(const std::string& path, const Bytes& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// A small picture of every supported form, for seeding and smoke tests.
struct Sample {
    std::string name;
    Bytes bytes;
};

inline std::vector<Sample> samples()
{
    std::vector<Sample> out;
    const std::vector<Rgb> colours = {{0, 0, 0}, {255, 255, 255}, {200, 30, 40}, {10, 220, 90}};
    for (std::uint32_t header : {12u, 40u})
        for (bool file_header : {true, false})
            for (std::uint16_t bits : {1, 4, 8, 16, 24, 32}) {
                if (header == 12 && (bits == 16 || bits == 32))
                    continue;
                Layout l;
                l.header_size = header;
                l.file_header = file_header;
                l.width = 5;
                l.height = 3;
                l.bit_count = bits;
                std::vector<Bytes> rows;
                for (int y = 0; y < 3; ++y) {
                    std::vector<unsigned> idx;
                    for (int x = 0; x < 5; ++x)
                        idx.push_back((x + y) % (bits == 1 ? 2 : 4));
                    if (bits <= 8) {
                        rows.push_back(pack_indices(idx, bits));
                    } else {
                        Bytes row;
                        for (unsigned i : idx)
                            for (int k = 0; k < bits / 8; ++k)
                                row.push_back(static_cast<unsigned char>(i * 60 + k * 17));
                        rows.push_back(row);
                    }
                }
                if (bits <= 8)
                    l.palette.assign(colours.begin(), colours.begin() + (bits == 1 ? 2 : 4));
                if (header == 40 && bits <= 8)
                    l.colors_used = static_cast<std::uint32_t>(l.palette.size());
                else if (header == 12 && bits <= 8)
                    l.palette.resize(bits == 1 ? 2 : bits == 4 ? 16 : 256, Rgb{1, 2, 3});
                l.pixels = padded_rows(rows);
                out.push_back({"h" + std::to_string(header) + (file_header ? "_bm_" : "_packed_") +
                                   std::to_string(bits) + "bit.bmp",
                               build(l)});
            }
    for (std::uint16_t bits : {16, 32}) {
        Layout l;
        l.width = 3;
        l.height = -2;
        l.bit_count = bits;
        l.compression = 3;
        l.masks = bits == 16 ? std::vector<std::uint32_t>{0xF800, 0x07E0, 0x001F}
                             : std::vector<std::uint32_t>{0x000003FF, 0x000FFC00, 0x3FF00000};
        std::vector<Bytes> rows(2, Bytes(3 * bits / 8, 0x5A));
        rows[1][0] = 0xFF;
        l.pixels = padded_rows(rows);
        out.push_back({"bitfields_" + std::to_string(bits) + "bit.bmp", build(l)});
    }
    {
        Layout l; // 8-bit run-length: run, absolute, delta, end of line, end of bitmap
        l.width = 8;
        l.height = 3;
        l.bit_count = 8;
        l.compression = 1;
        l.palette = colours;
        l.colors_used = 4;
        l.pixels = {3, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 2, 1, 2, 2, 0, 1};
        out.push_back({"rle8.bmp", build(l)});
    }
    {
        Layout l; // 4-bit run-length
        l.width = 7;
        l.height = 2;
        l.bit_count = 4;
        l.compression = 2;
        l.palette = colours;
        l.colors_used = 4;
        l.pixels = {5, 0x12, 0, 3, 0x30, 0x20, 0, 0, 0, 2, 1, 0, 2, 0x33, 0, 1};
        out.push_back({"rle4.bmp", build(l)});
    }
    return out;
}

} // namespace bmp
