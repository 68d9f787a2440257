#include "render/bitmap.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int64_t FileHeaderBytes = 14;
constexpr int64_t InfoHeaderBytes = 40;
// Far beyond any texture a driver takes, and small enough that every size
// product below stays in range, even in a 32-bit build.
constexpr int64_t MaxSide = 32768;
constexpr int64_t MaxTexels = int64_t(1) << 26;

uint32_t ReadU32(const unsigned char* b)
{
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

int32_t ReadS32(const unsigned char* b) { return int32_t(ReadU32(b)); }

uint16_t ReadU16(const unsigned char* b) { return uint16_t(b[0] | b[1] << 8); }

int32_t BitCount(const unsigned char* info) { return ReadU16(info + 14); }
uint32_t Compression(const unsigned char* info) { return ReadU32(info + 16); }
uint32_t SizeImage(const unsigned char* info) { return ReadU32(info + 20); }

// Bytes in one padded row of 24-bit pixels.
int64_t Stride24(int64_t width) { return (3 * width + 3) / 4 * 4; }

bool Is24BitUncompressed(const unsigned char* info) { return BitCount(info) == 24 && Compression(info) == 0; }

// A size the converter can hold: top-down (negative height), empty and
// enormous bitmaps are refused.
bool SizeIsSane(int64_t width, int64_t height)
{
    return width >= 1 && height >= 1 && width <= MaxSide && height <= MaxSide && width * height <= MaxTexels;
}

int64_t FileLength(FILE* file)
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
// describes nothing this reader can hold safely. The data must hold every
// row the header promises, whatever the format: the converted image grows
// with the area, so a file has to pay for its area in bytes.
int64_t ImageBytes(const unsigned char* info)
{
    int64_t width = BitmapWidth(info);
    int64_t height = BitmapHeight(info);
    int64_t bits = BitCount(info);
    if (!SizeIsSane(width, height) || bits < 1 || bits > 32)
        return -1;
    int64_t rows = height * ((bits * width + 31) / 32 * 4);
    int64_t announced = SizeImage(info);
    int64_t bytes = announced != 0 ? announced : rows;
    if (bytes < rows)
        return -1;
    return bytes;
}

unsigned char* Refuse(FILE* file, unsigned char* info, unsigned char* pixels)
{
    std::free(pixels);
    std::free(info);
    std::fclose(file);
    return nullptr;
}

} // namespace

int BitmapWidth(const unsigned char* info) { return ReadS32(info + 4); }
int BitmapHeight(const unsigned char* info) { return ReadS32(info + 8); }

unsigned char* ReadBitmapFile(std::FILE* file, unsigned char** outInfo)
{
    *outInfo = nullptr;
    if (!file)
        return nullptr;

    unsigned char header[FileHeaderBytes];
    int64_t length = FileLength(file);
    if (length < 0 || std::fread(header, FileHeaderBytes, 1, file) != 1)
        return Refuse(file, nullptr, nullptr);
    int64_t offBits = ReadU32(header + 10);
    // The info block must hold at least the 40-byte header, and the pixels
    // that follow it must start inside the file.
    if (offBits < FileHeaderBytes + InfoHeaderBytes || offBits >= length)
        return Refuse(file, nullptr, nullptr);

    size_t infoBytes = size_t(offBits - FileHeaderBytes);
    unsigned char* info = static_cast<unsigned char*>(std::malloc(infoBytes));
    if (!info || std::fread(info, 1, infoBytes, file) != infoBytes)
        return Refuse(file, info, nullptr);

    int64_t imageBytes = ImageBytes(info);
    if (imageBytes < 1 || imageBytes > length - offBits)
        return Refuse(file, info, nullptr);
    unsigned char* pixels = static_cast<unsigned char*>(std::malloc(size_t(imageBytes)));
    if (!pixels || std::fread(pixels, 1, size_t(imageBytes), file) != size_t(imageBytes))
        return Refuse(file, info, pixels);

    std::fclose(file);
    *outInfo = info;
    return pixels;
}

unsigned char* BitmapToRgba(const unsigned char* info, const unsigned char* pixels)
{
    if (!info)
        return nullptr;
    int64_t width = BitmapWidth(info);
    int64_t height = BitmapHeight(info);
    if (!SizeIsSane(width, height))
        return nullptr;
    unsigned char* rgba = static_cast<unsigned char*>(std::calloc(size_t(height * width), 4));
    if (!rgba || !pixels || !Is24BitUncompressed(info))
        return rgba;

    size_t stride = size_t(Stride24(width));
    for (int64_t r = 0; r < height; ++r) {
        const unsigned char* source = pixels + size_t(r) * stride;
        unsigned char* target = rgba + size_t(r * width) * 4;
        for (int64_t x = 0; x < width; ++x) {
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
