#include "tests/headless_fixture.h"

#include "app/headless.h"

void HeadlessGlTest::SetUp()
{
    if (!HeadlessIsOpen() || HeadlessWidth() != Width || HeadlessHeight() != Height) {
        ASSERT_TRUE(HeadlessOpen(Width, Height)) << "no headless OpenGL context (Mesa surfaceless EGL)";
    }
}

std::vector<uint8_t> HeadlessGlTest::Pixel(const std::vector<uint8_t>& pixels, int x, int y)
{
    size_t at = (size_t(y) * Width + size_t(x)) * 4;
    return {pixels[at], pixels[at + 1], pixels[at + 2], pixels[at + 3]};
}
