#include "tools/png.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace {

// libpng reports fatal errors by longjmp; nothing with a destructor may live
// between setjmp and the calls that can fail, so the work is done here with
// plain pointers prepared by the caller.
bool WriteRows(std::FILE* file, int width, int height, png_bytep* rows, bool withAlpha) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 withAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // Rows arrive as RGBA; without alpha libpng drops the fourth byte of every pixel.
    if (!withAlpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool WritePng(const std::string& path, int width, int height, const std::uint8_t* rgba, bool withAlpha) {
    // PNG allows up to 2^31 - 1 per side; keep well inside so a row's byte
    // count stays in range for every type it passes through.
    constexpr int MaxSide = 1 << 16;
    if (!rgba || width <= 0 || height <= 0 || width > MaxSide || height > MaxSide) return false;

    // PNG stores the top row first.
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<std::size_t>(y)] =
            const_cast<png_bytep>(rgba + static_cast<std::size_t>(height - 1 - y) * stride);

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = WriteRows(file, width, height, rows.data(), withAlpha);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::remove(path.c_str());
        return false;
    }
    return true;
}

std::vector<std::uint8_t> ReadPng(const std::string& path, int* width, int* height) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    const bool read = png_image_begin_read_from_file(&image, path.c_str());
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> pixels(read ? PNG_IMAGE_SIZE(image) : 0);
    if (read && !png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        pixels.clear();
    *width = pixels.empty() ? 0 : int(image.width);
    *height = pixels.empty() ? 0 : int(image.height);
    png_image_free(&image);
    return pixels;
}
