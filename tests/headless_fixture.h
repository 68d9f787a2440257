#pragma once

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

struct Rgba {
    int r, g, b, a;
};

// Tests that draw share one headless OpenGL context, opened on first use.
class HeadlessGlTest : public ::testing::Test {
protected:
    static constexpr int Width = 256;
    static constexpr int Height = 256;

    void SetUp() override;

    // Pixel (x, y) of what HeadlessReadPixels gave, y counted from the bottom row.
    static Rgba Pixel(const std::vector<uint8_t>& pixels, int x, int y);
    static bool IsRed(Rgba p) { return p.r > 128 && p.g < 80 && p.b < 80; }
    static bool IsLit(Rgba p) { return (p.r | p.g | p.b) != 0; }

    // Pixels for which keep(pixel) holds, inside the box x0..x1, y0..y1 or,
    // with inside false, outside it.
    template <class Keep>
    static int Count(const std::vector<uint8_t>& pixels, Keep keep, int x0 = 0, int y0 = 0, int x1 = Width - 1,
                     int y1 = Height - 1, bool inside = true)
    {
        int count = 0;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                count += (x >= x0 && x <= x1 && y >= y0 && y <= y1) == inside && keep(Pixel(pixels, x, y));
        return count;
    }
};
