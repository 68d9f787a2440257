#pragma once

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

// Tests that draw share one headless OpenGL context, opened on first use.
class HeadlessGlTest : public ::testing::Test {
protected:
    static constexpr int Width = 256;
    static constexpr int Height = 256;

    void SetUp() override;

    // RGBA of pixel (x, y), y counted from the bottom row.
    static std::vector<uint8_t> Pixel(const std::vector<uint8_t>& pixels, int x, int y);
};
