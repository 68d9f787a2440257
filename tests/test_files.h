#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// The game reads its files from the current directory. A test that controls
// those files works in a fresh directory of its own, removed when it ends.
class TempWorkDir {
public:
    TempWorkDir() : old_(std::filesystem::current_path())
    {
        std::string name = (std::filesystem::temp_directory_path() / "fusewalker-XXXXXX").string();
        if (mkdtemp(name.data()) == nullptr)
            std::abort();
        path_ = name;
        std::filesystem::current_path(path_);
    }
    ~TempWorkDir()
    {
        std::filesystem::current_path(old_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

private:
    std::filesystem::path old_, path_;
};

using Bytes = std::vector<unsigned char>;

inline void WriteFile(const std::string& name, const Bytes& bytes)
{
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f || (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()))
        std::abort();
    std::fclose(f);
}

inline void CopyDataFile(const char* name)
{
    std::filesystem::copy_file(std::filesystem::path(FW_DATA_DIR) / name, name,
                               std::filesystem::copy_options::overwrite_existing);
}

// Crafted BMP files: the header fields the reader looks at.
struct BmpFields {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    uint32_t offBits = 54; // 14-byte file header + 40-byte info header
};

// The headers, the info block padded with zeros up to offBits, the pixels.
inline Bytes MakeBmp(const BmpFields& f, const Bytes& pixels)
{
    Bytes out{'B', 'M'};
    auto put = [&out](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<unsigned char>(value >> (8 * i)));
    };
    put(uint32_t(54 + pixels.size()), 4);
    put(0, 4);
    put(f.offBits, 4);
    put(40, 4);
    put(uint32_t(f.width), 4);
    put(uint32_t(f.height), 4);
    put(1, 2);
    put(f.bitCount, 2);
    put(f.compression, 4);
    put(f.sizeImage, 4);
    for (int i = 0; i < 4; ++i)
        put(0, 4);
    out.resize(std::max<size_t>(out.size(), f.offBits), 0);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// 24-bit rows of 0xRRGGBB colours, bottom row first, each padded to four
// bytes with 0xEE so that reading the padding as a pixel shows.
template <class Colour>
Bytes Rows24(int width, int height, Colour rgbAt)
{
    Bytes out;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t rgb = rgbAt(x, y);
            out.insert(out.end(), {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16)});
        }
        out.resize(out.size() + size_t((4 - 3 * width % 4) % 4), 0xEE);
    }
    return out;
}
