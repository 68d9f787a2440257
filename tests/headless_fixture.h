#pragma once

#include <gtest/gtest.h>

#include "platform/headless_egl.h"

// Tests that draw share one headless OpenGL context, opened on first use.
class HeadlessGlTest : public ::testing::Test {
protected:
    static constexpr int Width = 256;
    static constexpr int Height = 256;

    void SetUp() override
    {
        if (!HeadlessIsOpen() || HeadlessWidth() != Width || HeadlessHeight() != Height) {
            ASSERT_TRUE(HeadlessOpen(Width, Height)) << "no headless OpenGL context (Mesa surfaceless EGL)";
        }
    }
};
