// Whether two rasterizers' pictures of one frame (WebGL's and Mesa's) show the same: edges and filtering may round
// a pixel either way and a shade off, so a pixel matches a close colour within one pixel in the other picture.
//   picture_match A.png B.png LIMIT
// Exit 0 when at most LIMIT pixels are unmatched both ways, 1 when more, 2 when unreadable or of other sizes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/png.h"

namespace {

constexpr int Tolerance = 40; // on each of red, green and blue, out of 255

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
    const std::uint8_t* At(int x, int y) const { return &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4]; }
};

bool Close(const std::uint8_t* a, const std::uint8_t* b)
{
    return std::abs(a[0] - b[0]) <= Tolerance && std::abs(a[1] - b[1]) <= Tolerance && std::abs(a[2] - b[2]) <= Tolerance;
}

// Pixels of `a` with no close colour in `b` at or next to the same place.
long Unmatched(const Picture& a, const Picture& b)
{
    long count = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            bool matched = false;
            for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, a.height - 1) && !matched; ++ny)
                for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, a.width - 1) && !matched; ++nx)
                    matched = Close(a.At(x, y), b.At(nx, ny));
            count += !matched;
        }
    return count;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: picture_match A.png B.png LIMIT\n");
        return 2;
    }
    Picture a, b;
    a.rgba = ReadPng(argv[1], &a.width, &a.height);
    b.rgba = ReadPng(argv[2], &b.width, &b.height);
    if (a.rgba.empty() || b.rgba.empty() || a.width != b.width || a.height != b.height) {
        std::fprintf(stderr, "picture_match: cannot compare %s (%dx%d) with %s (%dx%d)\n", argv[1], a.width, a.height,
                     argv[2], b.width, b.height);
        return 2;
    }
    long unmatched = std::max(Unmatched(a, b), Unmatched(b, a)), limit = std::atol(argv[3]);
    std::printf("%ld unmatched pixels of %ld (limit %ld)\n", unmatched, long(a.width) * a.height, limit);
    return unmatched <= limit ? 0 : 1;
}
