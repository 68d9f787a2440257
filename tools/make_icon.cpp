// Makes the game's icon from its own texture: the face of the head band in
// face.bmp, centred on a see-through square, scaled up by the largest whole
// factor that fits or, in a square smaller than the head, averaged down.
//
//   make_icon FACE.bmp OUT.png SIZE     one picture, 16 to 1024 pixels a side
//   make_icon FACE.bmp OUT.ico          the Windows icon: the sizes Explorer
//                                       shows at 100 to 200 % scaling, and 256
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <png.h>

#include "render/bitmap.h"
#include "tools/png.h"

namespace {

struct Head {
    const unsigned char* rgba;
    int stride; // texels in a texture row
    int left, top, width, height;
};

// The icon's pixels, bottom row first. Texel column x spans sub-pixels
// [x * num, (x + 1) * num) where a pixel has den of them across, and so on
// down; each pixel takes the texels over it weighted by the area they cover,
// so a whole factor up (den 1) copies texels unchanged.
std::vector<std::uint8_t> Paint(const Head& head, int size)
{
    const int side = std::max(head.width, head.height);
    const int num = size >= side ? size / side : size, den = size >= side ? 1 : side;
    const int x0 = (size * den - head.width * num) / 2, y0 = (size * den - head.height * num) / 2;
    std::vector<std::int64_t> sum(size_t(size) * size_t(size) * 4, 0);
    for (int y = 0; y < head.height; ++y)
        for (int x = 0; x < head.width; ++x) {
            const unsigned char* texel =
                &head.rgba[(size_t(head.top + y) * size_t(head.stride) + size_t(head.left + x)) * 4];
            if (texel[3] == 0) continue;
            const int sx = x0 + x * num, sy = y0 + y * num;
            for (int iy = sy / den; iy * den < sy + num; ++iy)
                for (int ix = sx / den; ix * den < sx + num; ++ix) {
                    const std::int64_t weight = (std::min(sx + num, (ix + 1) * den) - std::max(sx, ix * den)) *
                                                (std::min(sy + num, (iy + 1) * den) - std::max(sy, iy * den));
                    std::int64_t* pixel = &sum[(size_t(size - 1 - iy) * size_t(size) + size_t(ix)) * 4];
                    for (int c = 0; c < 3; ++c) pixel[c] += weight * texel[c];
                    pixel[3] += weight;
                }
        }
    std::vector<std::uint8_t> icon(sum.size(), 0);
    for (size_t i = 0; i < sum.size(); i += 4)
        if (const std::int64_t cover = sum[i + 3]) {
            for (int c = 0; c < 3; ++c) icon[i + c] = std::uint8_t((sum[i + c] + cover / 2) / cover);
            icon[i + 3] = std::uint8_t((255 * cover + std::int64_t(den) * den / 2) / (std::int64_t(den) * den));
        }
    return icon;
}

void Put(std::vector<std::uint8_t>* out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out->push_back(std::uint8_t(value >> (8 * i)));
}

// An icon image as Windows has always read it: a 32-bit bitmap of doubled
// height, bottom row first in blue, green, red and alpha, then the mask of
// see-through pixels, one bit each, its rows padded to four bytes.
void PutBitmap(std::vector<std::uint8_t>* out, const std::vector<std::uint8_t>& icon, int size)
{
    const int maskRow = (size + 31) / 32 * 4;
    Put(out, 40, 4);
    Put(out, std::uint32_t(size), 4);
    Put(out, std::uint32_t(size * 2), 4);
    Put(out, 1, 2);
    Put(out, 32, 2);
    Put(out, 0, 4);
    Put(out, std::uint32_t(size * size * 4 + size * maskRow), 4);
    out->insert(out->end(), 16, 0);
    for (size_t i = 0; i < icon.size(); i += 4)
        out->insert(out->end(), {icon[i + 2], icon[i + 1], icon[i], icon[i + 3]});
    for (int y = 0; y < size; ++y) {
        std::vector<std::uint8_t> row(size_t(maskRow), 0);
        for (int x = 0; x < size; ++x)
            if (icon[(size_t(y) * size_t(size) + size_t(x)) * 4 + 3] == 0)
                row[size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
        out->insert(out->end(), row.begin(), row.end());
    }
}

bool PutPng(std::vector<std::uint8_t>* out, const std::vector<std::uint8_t>& icon, int size)
{
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(size);
    image.height = png_uint_32(size);
    image.format = PNG_FORMAT_RGBA;
    // A negative stride: the rows lie bottom first.
    png_alloc_size_t bytes = 0;
    if (!png_image_write_to_memory(&image, nullptr, &bytes, 0, icon.data(), -size * 4, nullptr)) return false;
    const size_t offset = out->size();
    out->resize(offset + bytes);
    return png_image_write_to_memory(&image, out->data() + offset, &bytes, 0, icon.data(), -size * 4, nullptr) != 0;
}

// The sizes below 256 as bitmaps, 256 as a PNG, as Windows has read it there
// since Vista.
bool MakeIco(const Head& head, std::vector<std::uint8_t>* ico)
{
    const int sizes[] = {16, 20, 24, 32, 40, 48, 64, 256};
    const int count = int(sizeof(sizes) / sizeof(sizes[0]));
    std::vector<std::uint8_t> images;
    Put(ico, 0, 2);
    Put(ico, 1, 2);
    Put(ico, std::uint32_t(count), 2);
    for (int size : sizes) {
        const size_t offset = images.size();
        const std::vector<std::uint8_t> icon = Paint(head, size);
        if (size < 256)
            PutBitmap(&images, icon, size);
        else if (!PutPng(&images, icon, size))
            return false;
        ico->insert(ico->end(), {std::uint8_t(size % 256), std::uint8_t(size % 256), 0, 0});
        Put(ico, 1, 2);
        Put(ico, 32, 2);
        Put(ico, std::uint32_t(images.size() - offset), 4);
        Put(ico, std::uint32_t(6 + 16 * count + offset), 4);
    }
    ico->insert(ico->end(), images.begin(), images.end());
    return true;
}

bool WriteFile(const char* path, const std::vector<std::uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) == 0 && written) return true;
    std::remove(path);
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    const size_t length = argc >= 3 ? std::strlen(argv[2]) : 0;
    const bool ico = argc == 3 && length > 4 && std::strcmp(argv[2] + length - 4, ".ico") == 0;
    const int size = argc == 4 ? std::atoi(argv[3]) : 0;
    if (!ico && (size < 16 || size > 1024)) {
        std::fprintf(stderr, "usage: make_icon FACE.bmp OUT.png SIZE (16 to 1024)\n"
                             "       make_icon FACE.bmp OUT.ico\n");
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

    // The head is the first of the texture's five bands across, but for its
    // first column, which carries the room's edge for the texture's wrap; the
    // first texture row is the crown.
    int left = width, right = -1, top = height, bottom = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 1; x < width / 5; ++x)
            if (rgba[(size_t(y) * size_t(width) + size_t(x)) * 4 + 3] != 0) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    bool written = false;
    if (right >= 0) {
        const Head head = {rgba, width, left, top, right - left + 1, bottom - top + 1};
        std::vector<std::uint8_t> file;
        written = ico ? MakeIco(head, &file) && WriteFile(argv[2], file)
                      : WritePng(argv[2], size, size, Paint(head, size).data(), true);
    }
    std::free(rgba);
    std::free(info);
    std::free(pixels);
    if (right < 0) {
        std::fprintf(stderr, "make_icon: no head in %s\n", argv[1]);
        return 1;
    }
    if (!written) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
