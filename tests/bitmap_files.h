#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Crafted BMP files for the reader tests, the texture tests and the scene
// tests that need a face texture of known colours.

struct BmpFields {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    uint32_t offBits = 54; // 14-byte file header + 40-byte info header
};

inline void PutLe(std::vector<unsigned char>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// Headers for the given fields, the info block padded with zeros up to
// offBits (a colour table), then the pixel bytes as given.
inline std::vector<unsigned char> MakeBmp(const BmpFields& f, const std::vector<unsigned char>& pixels)
{
    std::vector<unsigned char> out;
    out.push_back('B');
    out.push_back('M');
    PutLe(out, uint32_t(54 + pixels.size()), 4);
    PutLe(out, 0, 4);
    PutLe(out, f.offBits, 4);
    PutLe(out, 40, 4);
    PutLe(out, uint32_t(f.width), 4);
    PutLe(out, uint32_t(f.height), 4);
    PutLe(out, 1, 2);
    PutLe(out, f.bitCount, 2);
    PutLe(out, f.compression, 4);
    PutLe(out, f.sizeImage, 4);
    PutLe(out, 2835, 4);
    PutLe(out, 2835, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    while (out.size() < f.offBits)
        out.push_back(0);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// 24-bit pixel rows, bottom row first, each padded to four bytes with
// 0xEE so that reading the padding as a pixel shows.
inline std::vector<unsigned char> Rows24(int width, int height, uint32_t (*rgbAt)(int x, int y))
{
    std::vector<unsigned char> out;
    int stride = (3 * width + 3) / 4 * 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t rgb = rgbAt(x, y);
            out.push_back(static_cast<unsigned char>(rgb)); // blue
            out.push_back(static_cast<unsigned char>(rgb >> 8)); // green
            out.push_back(static_cast<unsigned char>(rgb >> 16)); // red
        }
        for (int pad = 3 * width; pad < stride; ++pad)
            out.push_back(0xEE);
    }
    return out;
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes)
{
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    if (!bytes.empty()) {
        EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size()) << path;
    }
    std::fclose(file);
}
