#include "tests/headless_fixture.h"

#include "app/headless.h"

void HeadlessGlTest::SetUp()
{
    if (!HeadlessIsOpen() || HeadlessWidth() != Width || HeadlessHeight() != Height) {
        ASSERT_TRUE(HeadlessOpen(Width, Height)) << "no headless OpenGL context (Mesa surfaceless EGL)";
    }
}

Rgba HeadlessGlTest::Pixel(const std::vector<uint8_t>& pixels, int x, int y)
{
    const uint8_t* p = &pixels[(size_t(y) * Width + size_t(x)) * 4];
    return {p[0], p[1], p[2], p[3]};
}
