#include "render/bitmap.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr long FileHeaderBytes = 14;
constexpr long InfoHeaderBytes = 40;
// Far beyond any texture a driver takes; keeps every size product in range.
constexpr int32_t MaxSide = 16384;

uint32_t ReadU32(const unsigned char* b)
{
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

int32_t ReadS32(const unsigned char* b) { return int32_t(ReadU32(b)); }

uint16_t ReadU16(const unsigned char* b) { return uint16_t(b[0] | b[1] << 8); }

int32_t BitCount(const unsigned char* info) { return ReadU16(info + 14); }
uint32_t Compression(const unsigned char* info) { return ReadU32(info + 16); }

// Bytes in one padded row of 24-bit pixels.
int64_t Stride24(int64_t width) { return (3 * width + 3) / 4 * 4; }

bool Is24BitUncompressed(const unsigned char* info) { return BitCount(info) == 24 && Compression(info) == 0; }

long FileLength(FILE* file)
{
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    long length = std::ftell(file);
    if (std::fseek(file, here, SEEK_SET) != 0)
        return -1;
    return length;
}

// The size of the pixel data the info block announces, or -1 when the block
// describes nothing this reader can hold safely.
int64_t ImageBytes(const unsigned char* info)
{
    int64_t width = BitmapWidth(info);
    int64_t height = BitmapHeight(info);
    int64_t bits = BitCount(info);
    // Top-down (negative height) bitmaps and empty or enormous ones are refused.
    if (width < 1 || height < 1 || width > MaxSide || height > MaxSide || bits < 1 || bits > 32)
        return -1;
    int64_t stride = (bits * width + 31) / 32 * 4;
    int64_t computed = height * stride;
    int64_t announced = ReadU32(info + 20);
    int64_t bytes = announced != 0 ? announced : computed;
    // The converter walks every padded 24-bit row; the data must hold them.
    if (Is24BitUncompressed(info) && bytes < height * Stride24(width))
        return -1;
    return bytes;
}

} // namespace

int BitmapWidth(const unsigned char* info) { return ReadS32(info + 4); }
int BitmapHeight(const unsigned char* info) { return ReadS32(info + 8); }

unsigned char* ReadBitmapFile(const char* fileName, unsigned char** outInfo)
{
    *outInfo = nullptr;
    FILE* file = std::fopen(fileName, "rb");
    if (!file)
        return nullptr;

    unsigned char header[FileHeaderBytes];
    long length = FileLength(file);
    if (length < 0 || std::fread(header, FileHeaderBytes, 1, file) != 1) {
        std::fclose(file);
        return nullptr;
    }
    int64_t offBits = ReadU32(header + 10);
    // The info block must hold at least the 40-byte header, and it and the
    // pixels must lie inside the file.
    if (offBits < FileHeaderBytes + InfoHeaderBytes || offBits > length) {
        std::fclose(file);
        return nullptr;
    }
    size_t infoBytes = size_t(offBits - FileHeaderBytes);
    unsigned char* info = static_cast<unsigned char*>(std::malloc(infoBytes));
    if (!info) {
        std::fclose(file);
        return nullptr;
    }
    int64_t imageBytes = -1;
    if (std::fread(info, 1, infoBytes, file) == infoBytes)
        imageBytes = ImageBytes(info);
    if (imageBytes < 1 || imageBytes > length - offBits) {
        std::free(info);
        std::fclose(file);
        return nullptr;
    }
    unsigned char* pixels = static_cast<unsigned char*>(std::malloc(size_t(imageBytes)));
    if (!pixels || std::fread(pixels, 1, size_t(imageBytes), file) != size_t(imageBytes)) {
        std::free(pixels);
        std::free(info);
        std::fclose(file);
        return nullptr;
    }
    std::fclose(file);
    *outInfo = info;
    return pixels;
}

unsigned char* BitmapToRgba(const unsigned char* info, const unsigned char* pixels)
{
    int width = BitmapWidth(info);
    int height = BitmapHeight(info);
    if (width < 1 || height < 1 || width > MaxSide || height > MaxSide)
        return nullptr;
    unsigned char* rgba = static_cast<unsigned char*>(std::calloc(size_t(height) * size_t(width), 4));
    if (!rgba || !Is24BitUncompressed(info))
        return rgba;

    size_t stride = size_t(Stride24(width));
    for (int r = 0; r < height; ++r) {
        const unsigned char* source = pixels + size_t(r) * stride;
        unsigned char* target = rgba + size_t(r) * size_t(width) * 4;
        for (int x = 0; x < width; ++x) {
            unsigned char blue = source[3 * x];
            unsigned char green = source[3 * x + 1];
            unsigned char red = source[3 * x + 2];
            target[4 * x] = red;
            target[4 * x + 1] = green;
            target[4 * x + 2] = blue;
            // The colour key (255, 0, 255) is see-through.
            target[4 * x + 3] = (red == 255 && green == 0 && blue == 255) ? 0 : 255;
        }
    }
    return rgba;
}
