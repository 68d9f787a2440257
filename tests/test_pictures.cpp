// The pictures in docs/ are the game's own frames, made by replaying
// docs/playing.script: replaying it through the routing layer must make them
// again. Almost every part of a frame shows in them (the title and score
// screens, the font, the room, the marker, every body part's shape, texture
// and colour, the labels, the crowd as the step leaves it), so this one
// comparison stands for many. A few pixels may round differently where the
// software renderer runs on another kind of processor.
#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/events.h"
#include "app/headless.h"
#include "app/playback.h"
#include "app/script.h"
#include "tests/test_files.h"
#include "tools/png.h"
#include "world/globals.h"

namespace {

// RGBA, top row first; empty if the file cannot be read.
std::vector<uint8_t> ReadPng(const std::string& path, int width, int height)
{
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return {};
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (int(image.width) != width || int(image.height) != height ||
        !png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        pixels.clear();
    png_image_free(&image);
    return pixels;
}

// Pixels of the framebuffer (bottom row first) that differ from the picture
// by more than a step or two in any colour.
int DifferingPixels(const std::vector<uint8_t>& frame, const std::vector<uint8_t>& picture, int width, int height)
{
    int differing = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 4; x += 4) {
            const uint8_t* f = &frame[size_t(height - 1 - y) * size_t(width) * 4 + size_t(x)];
            const uint8_t* p = &picture[size_t(y) * size_t(width) * 4 + size_t(x)];
            differing += std::abs(f[0] - p[0]) > 2 || std::abs(f[1] - p[1]) > 2 || std::abs(f[2] - p[2]) > 2;
        }
    return differing;
}

} // namespace

TEST(Pictures, ReplayingTheDocsScriptRemakesEveryPicture)
{
    const int width = 1024, height = 768;
    std::string docs = std::string(FW_SOURCE_DIR) + "/docs/";
    Script script;
    std::string error;
    ASSERT_TRUE(ReadScriptFile(docs + "playing.script", &script, &error)) << error;
    std::filesystem::path started = std::filesystem::current_path();
    std::filesystem::current_path(FW_DATA_DIR);
    ASSERT_TRUE(HeadlessOpen(width, height));
    ScreenWidth = width;
    ScreenHeight = height;
    StartPlayback(script, true);
    RouteCreate();
    const struct {
        long frame;
        const char* name;
    } pictures[] = {{0, "title.png"}, {60, "playing.png"}, {115, "blast.png"}, {800, "score.png"}};
    for (const auto& picture : pictures) {
        while (RoutedFrames() <= picture.frame)
            RoutePaint();
        std::vector<uint8_t> expected = ReadPng(docs + picture.name, width, height);
        ASSERT_FALSE(expected.empty()) << picture.name;
        EXPECT_LE(DifferingPixels(HeadlessReadPixels(), expected, width, height), width * height / 5000)
            << picture.name << " after frame " << picture.frame;
    }
    std::filesystem::current_path(started);
}

TEST(Pictures, WrittenTopRowFirstOpaqueOrWithAlphaAndRefusedWithoutAFile)
{
    TempWorkDir dir;
    const int w = 5, h = 3; // odd width: no row padding may creep in
    std::vector<uint8_t> bottomUp;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bottomUp.insert(bottomUp.end(), {uint8_t(x * 50), uint8_t(y * 100), uint8_t(7 + x + y), uint8_t(255 - x)});
    for (bool withAlpha : {false, true}) {
        ASSERT_TRUE(WritePng("picture.png", w, h, bottomUp.data(), withAlpha));
        std::vector<uint8_t> read = ReadPng("picture.png", w, h);
        ASSERT_EQ(read.size(), bottomUp.size());
        for (int y = 0; y < h; ++y)
            for (int i = 0; i < w * 4; ++i) {
                uint8_t want = bottomUp[size_t((h - 1 - y) * w * 4 + i)];
                EXPECT_EQ(read[size_t(y * w * 4 + i)], i % 4 == 3 && !withAlpha ? 255 : want) << y << "," << i;
            }
    }
    const uint8_t one[4] = {};
    for (auto [width, height] : {std::pair{0, 1}, std::pair{1, -4}, std::pair{1 << 20, 1}})
        EXPECT_FALSE(WritePng("refused.png", width, height, one)) << width << " x " << height;
    EXPECT_FALSE(WritePng("refused.png", 1, 1, nullptr));
    EXPECT_FALSE(WritePng("no_such_dir/x.png", 1, 1, one));
    EXPECT_FALSE(std::filesystem::exists("refused.png"));
}
