#include <png.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "tests/test_files.h"
#include "tools/png.h"

TEST(WritePng, RoundTripsColoursOpaqueTopRowFirst)
{
    TempWorkDir dir;
    const int w = 5, h = 3; // odd width: no row padding may creep in
    std::vector<uint8_t> bottomUp, want(size_t(w * h * 4));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bottomUp.insert(bottomUp.end(), {uint8_t(x * 50), uint8_t(y * 100), uint8_t(7 + x + y), uint8_t(255 - x)});
            uint8_t* p = &want[size_t(((h - 1 - y) * w + x) * 4)];
            p[0] = uint8_t(x * 50), p[1] = uint8_t(y * 100), p[2] = uint8_t(7 + x + y), p[3] = 255;
        }
    ASSERT_TRUE(WritePng("picture.png", w, h, bottomUp.data()));

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, "picture.png"));
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> read(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, read.data(), 0, nullptr));
    EXPECT_EQ(image.width, unsigned(w));
    EXPECT_EQ(image.height, unsigned(h));
    EXPECT_EQ(read, want);
}

TEST(WritePng, RefusesBadSizesNullPixelsAndUnwritablePathsLeavingNoFile)
{
    TempWorkDir dir;
    const std::vector<uint8_t> one(4, 200);
    const struct {
        int width, height;
        const uint8_t* pixels;
    } bad[] = {{0, 1, one.data()}, {1, 0, one.data()}, {-1, 1, one.data()}, {1, -4, one.data()},
               {1 << 20, 1, one.data()}, {1, 1, nullptr}};
    for (const auto& b : bad)
        EXPECT_FALSE(WritePng("refused.png", b.width, b.height, b.pixels)) << b.width << " x " << b.height;
    EXPECT_FALSE(std::filesystem::exists("refused.png"));
    EXPECT_FALSE(WritePng("no_such_dir/x.png", 1, 1, one.data()));
}
