// Any bytes as face.bmp: the reader and the converter refuse or convert them, without a fault or a leak.
#include <cstdint>
#include <cstdlib>

#include "render/bitmap.h"
#include "tests/test_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TempWorkDir dir;
    WriteFile("face.bmp", Bytes(data, data + size));
    unsigned char* info = nullptr;
    unsigned char* pixels = ReadBitmapFile(std::fopen("face.bmp", "rb"), &info);
    if (pixels != nullptr && (info == nullptr || BitmapWidth(info) < 1 || BitmapHeight(info) < 1))
        __builtin_trap();
    std::free(BitmapToRgba(info, pixels));
    std::free(info);
    std::free(pixels);
    return 0;
}
