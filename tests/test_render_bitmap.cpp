#include <climits>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "render/bitmap.h"
#include "tests/test_files.h"

namespace {

struct Loaded {
    unsigned char* pixels;
    unsigned char* info;
    ~Loaded()
    {
        std::free(pixels);
        std::free(info);
    }
};

class BitmapReader : public ::testing::Test {
protected:
    TempWorkDir dir;

    // Writes the bytes as a file and reads it back through the reader.
    static Loaded Read(const Bytes& bytes)
    {
        WriteFile("test.bmp", bytes);
        unsigned char* info = reinterpret_cast<unsigned char*>(1); // must be cleared on failure
        unsigned char* pixels = ReadBitmapFile(std::fopen("test.bmp", "rb"), &info);
        return Loaded{pixels, info};
    }

    static Bytes Convert(const Loaded& loaded)
    {
        unsigned char* rgba = BitmapToRgba(loaded.info, loaded.pixels);
        if (!rgba)
            return {};
        Bytes out(rgba, rgba + size_t(BitmapWidth(loaded.info)) * size_t(BitmapHeight(loaded.info)) * 4);
        std::free(rgba);
        return out;
    }
};

uint32_t Distinct(int x, int y) { return uint32_t(0x102030 + x * 0x010203 + y * 0x300000); }

Bytes Bmp(int width, int height, uint32_t sizeImage = 0, uint32_t offBits = 54)
{
    return MakeBmp(BmpFields{width, height, 24, 0, sizeImage, offBits}, Rows24(width, height, Distinct));
}

void SetU32(Bytes& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + size_t(i)] = static_cast<unsigned char>(value >> (8 * i));
}

} // namespace

TEST_F(BitmapReader, PaddedRowsOfAnyWidthConvertToPackedRgbaInFileOrder)
{
    // Widths whose rows need 3, 1 and no padding bytes; an announced image
    // size with four bytes past the rows, read whole; a version 5 header.
    const struct {
        int width, height;
        uint32_t sizeImage, offBits;
    } files[] = {{3, 2, 0, 54}, {5, 3, 0, 54}, {4, 1, 0, 54}, {2, 2, 20, 54}, {1, 1, 0, 14 + 124}};
    for (const auto& f : files) {
        SCOPED_TRACE(testing::Message() << f.width << " x " << f.height);
        Bytes file = Bmp(f.width, f.height, f.sizeImage, f.offBits);
        Bytes rows(file.begin() + f.offBits, file.end());
        if (f.sizeImage != 0) {
            rows.insert(rows.end(), {1, 2, 3, 4});
            file.insert(file.end(), {1, 2, 3, 4});
        }
        Loaded loaded = Read(file);
        ASSERT_NE(loaded.pixels, nullptr);
        EXPECT_EQ(Bytes(loaded.pixels, loaded.pixels + rows.size()), rows);
        EXPECT_EQ(BitmapWidth(loaded.info), f.width);
        EXPECT_EQ(BitmapHeight(loaded.info), f.height);
        Bytes want;
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x) {
                uint32_t c = Distinct(x, y);
                want.insert(want.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 255});
            }
        EXPECT_EQ(Convert(loaded), want);
    }
}

TEST_F(BitmapReader, OnlyTheExactColourKeyIsTransparent)
{
    const uint32_t colours[] = {0xFF00FF, 0xFF01FF, 0xFE00FF, 0xFF00FE, 0x000000, 0xFFFFFF};
    Bytes rgba = Convert(Read(MakeBmp(BmpFields{6, 1}, Rows24(6, 1, [&](int x, int) { return colours[x]; }))));
    ASSERT_EQ(rgba.size(), 24u);
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(rgba[size_t(4 * x)], colours[x] >> 16) << "texel " << x;
        EXPECT_EQ(rgba[size_t(4 * x + 3)], x == 0 ? 0 : 255) << "texel " << x;
    }
}

TEST_F(BitmapReader, OtherFormatsConvertToTransparentBlack)
{
    // 8-bit with a colour table, 32-bit, and 24-bit but compressed.
    const struct {
        uint16_t bits;
        uint32_t compression;
        int rowBytes;
    } formats[] = {{8, 0, 4}, {32, 0, 12}, {24, 1, 12}};
    for (const auto& c : formats) {
        BmpFields f{3, 2, c.bits, c.compression, 0, c.bits == 8 ? 54 + 256 * 4 : 54u};
        Loaded loaded = Read(MakeBmp(f, Bytes(size_t(2 * c.rowBytes), 0x7F)));
        ASSERT_NE(loaded.pixels, nullptr) << c.bits << " bits";
        EXPECT_EQ(Convert(loaded), Bytes(24, 0)) << c.bits << " bits";
    }
    EXPECT_EQ(BitmapToRgba(nullptr, nullptr), nullptr);
}

TEST_F(BitmapReader, MalformedFilesAreRefusedWithNothingLeftAllocated)
{
    std::vector<std::pair<std::string, Bytes>> files;
    const Bytes whole = Bmp(4, 4);
    files.push_back({"empty", {}});
    for (size_t length : {size_t(1), size_t(13), size_t(14), size_t(30), size_t(53), size_t(54), whole.size() - 1})
        files.push_back({"cut to " + std::to_string(length), Bytes(whole.begin(), whole.begin() + long(length))});
    // bfOffBits leaving less than the 40-byte info header, or past the end.
    const Bytes small = Bmp(2, 2);
    for (uint32_t offBits : {0u, 13u, 14u, 40u, 53u, 54u + 16u, 54u + 17u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        files.push_back({"bfOffBits " + std::to_string(offBits), small});
        SetU32(files.back().second, 10, offBits);
    }
    Bytes late = Bmp(2, 2, 0, 58); // pixels that start late run past the end
    late.resize(late.size() - 4);
    files.push_back({"late pixels", late});
    // biSizeImage smaller than the rows (one byte short, one unpadded row), or past the end.
    for (uint32_t sizeImage : {35u, 9u, 37u, 0xFFFFFFFFu})
        files.push_back({"biSizeImage " + std::to_string(sizeImage), Bmp(3, 3, sizeImage)});
    // Hostile sizes, over enough bytes for a small picture, announced as
    // nothing or as what a wrapped 32-bit product would give.
    const struct {
        int32_t width, height;
    } sizes[] = {{0, 1}, {1, 0}, {0, 0}, {-1, 1}, {1, -1}, {4, -4}, {INT32_MIN, 1}, {1, INT32_MIN}, {INT32_MAX, 1},
                 {1, INT32_MAX}, {INT32_MAX, INT32_MAX}, {65536, 65536}, {0x40000000, 4}, {32769, 1}, {1, 32769},
                 {16384, 16384}};
    for (const auto& s : sizes)
        for (uint32_t announced : {0u, 64u})
            files.push_back({std::to_string(s.width) + " x " + std::to_string(s.height),
                             MakeBmp(BmpFields{s.width, s.height, 24, 0, announced}, Bytes(64, 0x55))});
    for (uint16_t bits : {uint16_t(0), uint16_t(33), uint16_t(64), uint16_t(65535)})
        files.push_back({"bit count " + std::to_string(bits), MakeBmp(BmpFields{2, 2, bits, 0, 16}, Bytes(16, 0))});
    // A 1-bit header over a few bytes may not make the converter allocate the area it names.
    files.push_back({"8192 x 8192 in 16 bytes", MakeBmp(BmpFields{8192, 8192, 1, 0, 16}, Bytes(16, 0))});

    for (const auto& [why, bytes] : files) {
        Loaded loaded = Read(bytes);
        EXPECT_EQ(loaded.pixels, nullptr) << why;
        EXPECT_EQ(loaded.info, nullptr) << why;
    }
    EXPECT_NE(Read(whole).pixels, nullptr) << "the uncut file";
    for (const char* name : {"absent.bmp", "."}) {
        unsigned char* info = reinterpret_cast<unsigned char*>(1);
        EXPECT_EQ(ReadBitmapFile(std::fopen(name, "rb"), &info), nullptr) << name;
        EXPECT_EQ(info, nullptr) << name;
    }
}
