// Makes the game's icon from its own texture: the face of the head band in
// face.bmp, centred on a see-through square and scaled up by the largest
// whole factor that fits.
//
//   make_icon FACE.bmp OUT.png SIZE
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "render/bitmap.h"
#include "tools/png.h"

int main(int argc, char** argv)
{
    const int size = argc == 4 ? std::atoi(argv[3]) : 0;
    if (size < 16 || size > 1024) {
        std::fprintf(stderr, "usage: make_icon FACE.bmp OUT.png SIZE (16 to 1024)\n");
        return 2;
    }
    unsigned char* info = nullptr;
    unsigned char* pixels = ReadBitmapFile(std::fopen(argv[1], "rb"), &info);
    unsigned char* rgba = pixels ? BitmapToRgba(info, pixels) : nullptr;
    if (!rgba) {
        std::fprintf(stderr, "make_icon: %s is not a bitmap the game can use\n", argv[1]);
        return 1;
    }
    const int width = BitmapWidth(info), height = BitmapHeight(info);
    auto opaque = [&](int x, int y) { return rgba[(size_t(y) * size_t(width) + size_t(x)) * 4 + 3] != 0; };

    // The head is the first of the texture's five bands across, but for its
    // first column, which carries the room's edge for the texture's wrap.
    int left = width, right = -1, top = height, bottom = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 1; x < width / 5; ++x)
            if (opaque(x, y)) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    const int scale = right < 0 ? 0 : size / std::max(right - left + 1, bottom - top + 1);
    if (scale < 1) {
        std::fprintf(stderr, "make_icon: no head in %s that fits %d pixels\n", argv[1], size);
        return 1;
    }

    // The first texture row is the crown; WritePng takes the bottom row first.
    std::vector<std::uint8_t> icon(size_t(size) * size_t(size) * 4, 0);
    const int x0 = (size - (right - left + 1) * scale) / 2, y0 = (size - (bottom - top + 1) * scale) / 2;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            for (int k = 0; opaque(x, y) && k < scale * scale; ++k) {
                int ix = x0 + (x - left) * scale + k % scale, iy = y0 + (y - top) * scale + k / scale;
                std::copy_n(&rgba[(size_t(y) * size_t(width) + size_t(x)) * 4], 4,
                            &icon[(size_t(size - 1 - iy) * size_t(size) + size_t(ix)) * 4]);
            }
    std::free(rgba);
    std::free(info);
    std::free(pixels);
    if (!WritePng(argv[2], size, size, icon.data(), true)) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
