#include <png.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/png.h"

namespace {

struct Decoded {
    bool ok = false;
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba; // top row first, as stored
};

Decoded ReadPng(const std::string& path) {
    Decoded out;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
    image.format = PNG_FORMAT_RGBA;
    out.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr)) return out;
    out.ok = true;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    return out;
}

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

} // namespace

TEST(WritePng, RoundTripsColoursOpaqueAndFlipsBottomUpRows) {
    const int w = 5, h = 3; // odd width: no row padding may creep in
    std::vector<std::uint8_t> bottomUp(w * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = &bottomUp[(y * w + x) * 4];
            p[0] = static_cast<std::uint8_t>(x * 50);
            p[1] = static_cast<std::uint8_t>(y * 100);
            p[2] = static_cast<std::uint8_t>(7 + x + y);
            p[3] = static_cast<std::uint8_t>(255 - x);
        }
    const std::string path = TempPath("fusewalker_png_roundtrip.png");
    ASSERT_TRUE(WritePng(path, w, h, bottomUp.data()));
    const Decoded d = ReadPng(path);
    std::remove(path.c_str());
    ASSERT_TRUE(d.ok);
    ASSERT_EQ(d.width, w);
    ASSERT_EQ(d.height, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(d.rgba[((h - 1 - y) * w + x) * 4 + c], c < 3 ? bottomUp[(y * w + x) * 4 + c] : 255)
                    << "pixel " << x << "," << y << " channel " << c;
}

TEST(WritePng, RefusesBadSizesNullPixelsAndUnwritablePaths) {
    const std::vector<std::uint8_t> one(4, 200);
    const std::string path = TempPath("fusewalker_png_refused.png");
    std::remove(path.c_str());
    EXPECT_FALSE(WritePng(path, 0, 1, one.data()));
    EXPECT_FALSE(WritePng(path, 1, 0, one.data()));
    EXPECT_FALSE(WritePng(path, -1, 1, one.data()));
    EXPECT_FALSE(WritePng(path, 1, -4, one.data()));
    EXPECT_FALSE(WritePng(path, 1 << 20, 1, one.data()));
    EXPECT_FALSE(WritePng(path, 1, 1, nullptr));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(WritePng(TempPath("no_such_dir_fw/x.png"), 1, 1, one.data()));
}
