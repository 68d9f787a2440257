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
