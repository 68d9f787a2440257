#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/bitmap.h"
#include "tests/bitmap_files.h"
#include "tests/temp_work_dir.h"

namespace {

struct Loaded {
    unsigned char* pixels = nullptr;
    unsigned char* info = nullptr;
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
    void Read(const std::vector<unsigned char>& bytes, Loaded& out)
    {
        WriteBytes("test.bmp", bytes);
        out.info = reinterpret_cast<unsigned char*>(1); // must be cleared on failure
        out.pixels = ReadBitmapFile("test.bmp", &out.info);
    }

    void ExpectRefused(const std::vector<unsigned char>& bytes, const char* why)
    {
        Loaded loaded;
        Read(bytes, loaded);
        EXPECT_EQ(loaded.pixels, nullptr) << why;
        EXPECT_EQ(loaded.info, nullptr) << why;
    }
};

uint32_t Distinct(int x, int y) { return uint32_t(0x102030 + x * 0x010203 + y * 0x300000); }

std::vector<unsigned char> Rgba(const unsigned char* rgba, size_t bytes) { return {rgba, rgba + bytes}; }

} // namespace

TEST_F(BitmapReader, OddWidthReadsPaddedRowsAndPacksThem)
{
    // Width 3: source rows of 9 bytes padded to 12, destination rows of 12.
    BmpFields f;
    f.width = 3;
    f.height = 2;
    std::vector<unsigned char> rows = Rows24(3, 2, Distinct);
    ASSERT_EQ(rows.size(), 24u);
    Loaded loaded;
    Read(MakeBmp(f, rows), loaded);
    ASSERT_NE(loaded.pixels, nullptr);
    ASSERT_NE(loaded.info, nullptr);
    EXPECT_EQ(BitmapWidth(loaded.info), 3);
    EXPECT_EQ(BitmapHeight(loaded.info), 2);

    unsigned char* rgba = BitmapToRgba(loaded.info, loaded.pixels);
    ASSERT_NE(rgba, nullptr);
    std::vector<unsigned char> got = Rgba(rgba, 3 * 2 * 4);
    std::free(rgba);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            uint32_t want = Distinct(x, y);
            const unsigned char* p = &got[(y * 3 + x) * 4];
            // The first file row stays the first converted row.
            EXPECT_EQ(p[0], (want >> 16) & 0xff) << x << "," << y;
            EXPECT_EQ(p[1], (want >> 8) & 0xff) << x << "," << y;
            EXPECT_EQ(p[2], want & 0xff) << x << "," << y;
            EXPECT_EQ(p[3], 255) << x << "," << y;
        }
}

TEST_F(BitmapReader, ZeroImageSizeIsComputedFromPaddedRows)
{
    BmpFields f;
    f.width = 5; // 15 bytes a row, padded to 16
    f.height = 3;
    f.sizeImage = 0;
    std::vector<unsigned char> rows = Rows24(5, 3, Distinct);
    ASSERT_EQ(rows.size(), 48u);
    {
        Loaded loaded;
        Read(MakeBmp(f, rows), loaded);
        ASSERT_NE(loaded.pixels, nullptr);
        EXPECT_EQ(std::vector<unsigned char>(loaded.pixels, loaded.pixels + 48), rows);
    }
    // One byte short of the computed size is a truncated file.
    rows.pop_back();
    ExpectRefused(MakeBmp(f, rows), "pixel data one byte short of the computed size");
}

TEST_F(BitmapReader, AnnouncedImageSizeIsReadWhole)
{
    BmpFields f;
    f.width = 2;
    f.height = 2;
    std::vector<unsigned char> rows = Rows24(2, 2, Distinct);
    rows.insert(rows.end(), {1, 2, 3, 4}); // trailing bytes the header counts
    f.sizeImage = uint32_t(rows.size());
    Loaded loaded;
    Read(MakeBmp(f, rows), loaded);
    ASSERT_NE(loaded.pixels, nullptr);
    EXPECT_EQ(std::vector<unsigned char>(loaded.pixels, loaded.pixels + rows.size()), rows);
}

TEST_F(BitmapReader, LongerInfoBlockIsKeptAndPixelsStartAtTheOffset)
{
    BmpFields f;
    f.width = 1;
    f.height = 1;
    f.offBits = 14 + 124; // a version 5 header
    Loaded loaded;
    Read(MakeBmp(f, Rows24(1, 1, Distinct)), loaded);
    ASSERT_NE(loaded.pixels, nullptr);
    unsigned char* rgba = BitmapToRgba(loaded.info, loaded.pixels);
    ASSERT_NE(rgba, nullptr);
    uint32_t want = Distinct(0, 0);
    EXPECT_EQ(Rgba(rgba, 4), (std::vector<unsigned char>{(unsigned char)(want >> 16), (unsigned char)(want >> 8),
                                                         (unsigned char)want, 255}));
    std::free(rgba);
}

TEST_F(BitmapReader, OnlyTheExactColourKeyIsTransparent)
{
    const uint32_t colours[] = {0xFF00FF, 0xFF01FF, 0xFE00FF, 0xFF00FE, 0x000000, 0xFFFFFF};
    const unsigned char alphas[] = {0, 255, 255, 255, 255, 255};
    BmpFields f;
    f.width = 6;
    f.height = 1;
    std::vector<unsigned char> row;
    for (uint32_t c : colours)
        row.insert(row.end(), {(unsigned char)c, (unsigned char)(c >> 8), (unsigned char)(c >> 16)});
    row.insert(row.end(), {0, 0}); // 18 bytes padded to 20
    Loaded loaded;
    Read(MakeBmp(f, row), loaded);
    ASSERT_NE(loaded.pixels, nullptr);
    unsigned char* rgba = BitmapToRgba(loaded.info, loaded.pixels);
    ASSERT_NE(rgba, nullptr);
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(rgba[4 * x], (colours[x] >> 16) & 0xff) << "texel " << x;
        EXPECT_EQ(rgba[4 * x + 3], alphas[x]) << "texel " << x;
    }
    std::free(rgba);
}

TEST_F(BitmapReader, OtherFormatsConvertToTransparentBlack)
{
    struct Case {
        uint16_t bits;
        uint32_t compression;
        int rowBytes;
    };
    // 8-bit with a colour table, 32-bit, and 24-bit but compressed.
    for (Case c : {Case{8, 0, 4}, Case{32, 0, 12}, Case{24, 1, 12}}) {
        BmpFields f;
        f.width = 3;
        f.height = 2;
        f.bitCount = c.bits;
        f.compression = c.compression;
        f.offBits = c.bits == 8 ? 54 + 256 * 4 : 54;
        Loaded loaded;
        Read(MakeBmp(f, std::vector<unsigned char>(size_t(2 * c.rowBytes), 0x7F)), loaded);
        ASSERT_NE(loaded.pixels, nullptr) << c.bits << " bits";
        unsigned char* rgba = BitmapToRgba(loaded.info, loaded.pixels);
        ASSERT_NE(rgba, nullptr);
        EXPECT_EQ(Rgba(rgba, 3 * 2 * 4), std::vector<unsigned char>(24, 0)) << c.bits << " bits";
        std::free(rgba);
    }
}

TEST_F(BitmapReader, MissingAndTruncatedFilesAreRefused)
{
    {
        unsigned char* info = reinterpret_cast<unsigned char*>(1);
        EXPECT_EQ(ReadBitmapFile("absent.bmp", &info), nullptr);
        EXPECT_EQ(info, nullptr);
    }
    {
        // A directory opens on some systems but reads nothing.
        unsigned char* info = reinterpret_cast<unsigned char*>(1);
        EXPECT_EQ(ReadBitmapFile(".", &info), nullptr);
        EXPECT_EQ(info, nullptr);
    }
    BmpFields f;
    f.width = 4;
    f.height = 4;
    const std::vector<unsigned char> whole = MakeBmp(f, Rows24(4, 4, Distinct));
    ExpectRefused({}, "empty file");
    for (size_t length : {size_t(1), size_t(13), size_t(14), size_t(30), size_t(53), size_t(54), whole.size() - 1}) {
        std::vector<unsigned char> cut(whole.begin(), whole.begin() + long(length));
        ExpectRefused(cut, ("cut to " + std::to_string(length) + " bytes").c_str());
    }
    Loaded loaded;
    Read(whole, loaded);
    EXPECT_NE(loaded.pixels, nullptr) << "the uncut file";
}

TEST_F(BitmapReader, OffsetsOutsideTheFileAreRefused)
{
    const std::vector<unsigned char> rows = Rows24(2, 2, Distinct);
    for (uint32_t offBits : {0u, 13u, 14u, 40u, 53u}) {
        BmpFields f;
        f.width = 2;
        f.height = 2;
        std::vector<unsigned char> bytes = MakeBmp(f, rows);
        bytes[10] = (unsigned char)offBits; // info block shorter than 40 bytes
        ExpectRefused(bytes, ("bfOffBits " + std::to_string(offBits)).c_str());
    }
    for (uint32_t offBits : {uint32_t(54 + rows.size()), uint32_t(54 + rows.size() + 1), 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        BmpFields f;
        f.width = 2;
        f.height = 2;
        std::vector<unsigned char> bytes = MakeBmp(f, rows);
        for (int i = 0; i < 4; ++i)
            bytes[10 + i] = (unsigned char)(offBits >> (8 * i));
        ExpectRefused(bytes, ("bfOffBits " + std::to_string(offBits)).c_str());
    }
    // Pixels that start late leave the rows short of the end of the file.
    BmpFields late;
    late.width = 2;
    late.height = 2;
    late.offBits = 58;
    std::vector<unsigned char> bytes = MakeBmp(late, rows);
    bytes.resize(bytes.size() - 4);
    ExpectRefused(bytes, "pixel rows run past the end");
}

TEST_F(BitmapReader, ImageSizeSmallerThanTheRowsIsRefused)
{
    BmpFields f;
    f.width = 3;
    f.height = 3;
    std::vector<unsigned char> rows = Rows24(3, 3, Distinct);
    f.sizeImage = uint32_t(rows.size() - 1);
    ExpectRefused(MakeBmp(f, rows), "biSizeImage one byte short");
    f.sizeImage = 9; // three unpadded rows' worth of one row
    ExpectRefused(MakeBmp(f, rows), "biSizeImage of one row");
    f.sizeImage = uint32_t(rows.size() + 1);
    ExpectRefused(MakeBmp(f, rows), "biSizeImage past the end of the file");
    f.sizeImage = 0xFFFFFFFFu;
    ExpectRefused(MakeBmp(f, rows), "biSizeImage 4 GiB");
}

TEST_F(BitmapReader, HostileSizesAreRefused)
{
    struct Size {
        int32_t width, height;
    };
    const Size sizes[] = {
        {0, 1}, {1, 0}, {0, 0}, {-1, 1}, {1, -1}, {4, -4}, // top-down
        {INT32_MIN, 1}, {1, INT32_MIN}, {INT32_MAX, 1}, {1, INT32_MAX}, {INT32_MAX, INT32_MAX},
        {65536, 65536}, // the byte count wraps a 32-bit product
        {0x40000000, 4}, {32769, 1}, {1, 32769}, {16384, 16384}, // past the limits on side and area
    };
    for (Size s : sizes) {
        BmpFields f;
        f.width = s.width;
        f.height = s.height;
        // Enough bytes for a small picture, and an announced size that
        // would match a wrapped 32-bit product.
        std::vector<unsigned char> pixels(64, 0x55);
        for (uint32_t announced : {0u, 64u}) {
            f.sizeImage = announced;
            ExpectRefused(MakeBmp(f, pixels), (std::to_string(s.width) + " x " + std::to_string(s.height)).c_str());
        }
    }
}

TEST_F(BitmapReader, BitCountsOutsideOneToThirtyTwoAreRefused)
{
    for (uint16_t bits : {uint16_t(0), uint16_t(33), uint16_t(64), uint16_t(65535)}) {
        BmpFields f;
        f.width = 2;
        f.height = 2;
        f.bitCount = bits;
        f.sizeImage = 16;
        ExpectRefused(MakeBmp(f, std::vector<unsigned char>(16, 0)), ("bit count " + std::to_string(bits)).c_str());
    }
}

TEST_F(BitmapReader, SmallFilesCannotAskForLargeImages)
{
    // A 1-bit header over a few bytes may not make the converter allocate
    // the area it names: the rows it announces must be in the file.
    BmpFields f;
    f.width = 8192;
    f.height = 8192;
    f.bitCount = 1;
    f.sizeImage = 16;
    ExpectRefused(MakeBmp(f, std::vector<unsigned char>(16, 0)), "8192 x 8192 in 16 bytes");
}

TEST(BitmapToRgba, WithoutAnInfoBlockGivesNothing)
{
    EXPECT_EQ(BitmapToRgba(nullptr, nullptr), nullptr);
}
