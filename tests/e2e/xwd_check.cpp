// Tells from an X window dump (xwd -root) or a PNG screenshot which of the game's screens shows, for polling.
//   xwd_check DUMP title-white|title-red|playing|fuses|blasts|score|whole
// fuses: three fuse labels (the pointer at the top right); blasts: no labels and a score; score: the score screen
// above 0; whole: all a 4:3 display shows, the back wall's top edge under black and "score" whole at the top right.
// Exit 0 when it shows that screen, 1 when not, 2 when unreadable; one line of measurements on stdout either way.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/png.h"

namespace {

struct Rgb {
    int r, g, b;
};

struct Image {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
    const Rgb& At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// A channel of any width scaled to 0..255.
int Channel(uint32_t value, uint32_t mask)
{
    int shift = 0;
    while (shift < 32 && !(mask >> shift & 1))
        ++shift;
    uint32_t top = shift < 32 ? mask >> shift : 0;
    return top ? int(((value & mask) >> shift) * 255 / top) : 0;
}

// A PNG, or a ZPixmap dump of a TrueColor or DirectColor visual of 16 to 32 bits a pixel: what Xvfb gives at
// depth 24, with or without Wine's colormap installed.
const char* ReadDump(const char* path, Image* image)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const unsigned char pngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (data.size() >= 8 && std::equal(pngSignature, pngSignature + 8, data.begin())) {
        std::vector<std::uint8_t> rgba = ReadPng(path, &image->width, &image->height);
        for (size_t k = 0; k + 3 < rgba.size(); k += 4)
            image->pixels.push_back({rgba[k], rgba[k + 1], rgba[k + 2]});
        return rgba.empty() ? "not a PNG that can be read" : nullptr;
    }
    if (data.size() < 100)
        return "too short for a header";
    uint32_t f[25]; // big-endian header fields
    for (int i = 0; i < 25; ++i)
        f[i] = uint32_t(data[4 * i]) << 24 | uint32_t(data[4 * i + 1]) << 16 | uint32_t(data[4 * i + 2]) << 8 |
               data[4 * i + 3];
    uint32_t width = f[4], height = f[5], byteOrder = f[7], bits = f[11], bytesPerLine = f[12];
    if (f[1] != 7 || f[2] != 2 || (f[13] != 4 && f[13] != 5))
        return "not a ZPixmap dump of a TrueColor or DirectColor visual";
    if (bits < 16 || bits > 32 || bits % 8 != 0 || width < 1 || height < 1 || width > 16384 || height > 16384 ||
        uint64_t(bytesPerLine) < uint64_t(width) * bits / 8)
        return "unexpected pixel layout";
    uint64_t start = uint64_t(f[0]) + uint64_t(f[19]) * 12; // header, then the colour map
    if (start + uint64_t(bytesPerLine) * height > data.size())
        return "pixel data cut short";
    int bytes = int(bits / 8);
    image->width = int(width);
    image->height = int(height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const unsigned char* p = &data[start + uint64_t(y) * bytesPerLine + uint64_t(x) * uint64_t(bytes)];
            uint32_t value = 0;
            for (int i = 0; i < bytes; ++i)
                value = value << 8 | p[byteOrder == 0 ? bytes - 1 - i : i];
            image->pixels.push_back({Channel(value, f[14]), Channel(value, f[15]), Channel(value, f[16])});
        }
    return nullptr;
}

bool IsBlack(const Rgb& c) { return c.r < 24 && c.g < 24 && c.b < 24; }
bool IsRed(const Rgb& c) { return c.r >= 150 && c.g < 90 && c.b < 90; }
// The text's own red, darker than any painted red in the face texture.
bool IsPureRed(const Rgb& c) { return c.r >= 200 && c.g < 60 && c.b < 60; }
bool IsWhite(const Rgb& c) { return c.r >= 200 && c.g >= 200 && c.b >= 200; }
// The room's walls and floor: light enough to see, hardly coloured.
bool IsGrey(const Rgb& c)
{
    int high = std::max({c.r, c.g, c.b}), low = std::min({c.r, c.g, c.b});
    return high >= 80 && high - low <= 48;
}

// The share of neighbours in rows [from, to) that differ sharply.
double Detail(const Image& image, int from, int to)
{
    long sharp = 0, pairs = 0;
    for (int y = from; y < to; ++y)
        for (int x = 0; x + 1 < image.width; ++x, ++pairs) {
            const Rgb &a = image.At(x, y), &b = image.At(x + 1, y);
            sharp += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) >= 60;
        }
    return pairs ? double(sharp) / double(pairs) : 0.0;
}

// Runs of rows in [top, bottom) x [left, width) where keep holds for some pixel, six or more empty rows apart.
template <class Keep>
int Bands(const Image& image, int left, int top, int bottom, Keep keep)
{
    int bands = 0, emptyRun = 6;
    for (int y = top; y < bottom; ++y) {
        bool found = false;
        for (int x = left; x < image.width && !found; ++x)
            found = keep(image.At(x, y));
        bands += found && emptyRun >= 6;
        emptyRun = found ? 0 : emptyRun + 1;
    }
    return bands;
}

// Fuse labels: clusters of pure red over the crowd up to 80 x 64 pixels, red in touching 8 x 8 cells one cluster.
// With the pointer at the top right the marker's lines lie outside the part searched.
int Labels(const Image& image)
{
    constexpr int Cell = 8;
    const int top = image.height * 6 / 10, right = image.width * 7 / 10;
    const int columns = image.width / Cell + 1, rows = image.height / Cell + 1;
    std::vector<char> red(size_t(columns) * size_t(rows), 0);
    for (int y = top; y < image.height; ++y)
        for (int x = 0; x < right; ++x)
            if (IsPureRed(image.At(x, y)))
                red[size_t(y / Cell * columns + x / Cell)] = 1;
    int labels = 0;
    for (int start = 0; start < columns * rows; ++start) {
        if (!red[size_t(start)])
            continue;
        int left = columns, right = 0, up = rows, down = 0;
        std::vector<int> todo = {start};
        red[size_t(start)] = 0;
        while (!todo.empty()) {
            int cell = todo.back(), cx = cell % columns, cy = cell / columns;
            todo.pop_back();
            left = std::min(left, cx), right = std::max(right, cx), up = std::min(up, cy), down = std::max(down, cy);
            for (int ny = std::max(cy - 1, 0); ny <= std::min(cy + 1, rows - 1); ++ny)
                for (int nx = std::max(cx - 1, 0); nx <= std::min(cx + 1, columns - 1); ++nx)
                    if (red[size_t(ny * columns + nx)]) {
                        red[size_t(ny * columns + nx)] = 0;
                        todo.push_back(ny * columns + nx);
                    }
        }
        labels += right - left < 10 && down - up < 8;
    }
    return labels;
}

// Shares of the height: black over the back wall mid-screen; pure red at the top right, its start and height.
std::array<double, 3> Framing(const Image& image)
{
    int gap = 0, first = -1, last = -1;
    while (gap < image.height && IsBlack(image.At(image.width / 2, gap)))
        ++gap;
    for (int y = 0; y < image.height / 2; ++y)
        for (int x = image.width * 6 / 10; x < image.width; ++x)
            if (IsPureRed(image.At(x, y))) {
                first = first < 0 ? y : first, last = y;
                break;
            }
    double h = image.height;
    return {gap / h, first < 0 ? 0 : first / h, first < 0 ? 0 : (last - first + 1) / h};
}

} // namespace

int main(int argc, char** argv)
{
    const std::string screen = argc == 3 ? argv[2] : "", screens = "title-white|title-red|playing|fuses|blasts|score|whole";
    if (screen.empty() || ("|" + screens + "|").find("|" + screen + "|") == std::string::npos) {
        std::fprintf(stderr, "usage: xwd_check DUMP %s\n", screens.c_str());
        return 2;
    }
    Image image;
    if (const char* error = ReadDump(argv[1], &image)) {
        std::fprintf(stderr, "xwd_check: %s: %s\n", argv[1], error);
        return 2;
    }
    const auto [wallGap, labelTop, labelHeight] = Framing(image);
    // Shares of the screen that are black and grey; of the rest, red and white; runs of rows not black.
    long black = 0, grey = 0, red = 0, white = 0;
    for (const Rgb& c : image.pixels) {
        black += IsBlack(c);
        red += !IsBlack(c) && IsRed(c);
        white += !IsBlack(c) && IsWhite(c);
        grey += !IsBlack(c) && IsGrey(c);
    }
    long text = long(image.pixels.size()) - black;
    int bands = Bands(image, 0, 0, image.height, [](const Rgb& c) { return !IsBlack(c); });
    double all = double(image.width) * image.height;
    double blackShare = black / all, greyShare = grey / all;
    double redText = text ? double(red) / double(text) : 0.0, whiteText = text ? double(white) / double(text) : 0.0;
    // The crowd stands on the floor in the lower part of the screen; the walls above it are smooth.
    double floorDetail = Detail(image, image.height * 6 / 10, image.height);
    double wallDetail = Detail(image, image.height / 10, image.height * 45 / 100);

    bool playing = blackShare <= 0.3 && greyShare >= 0.3 && floorDetail >= 0.02 && floorDetail >= 3 * wallDetail;
    int labels = Labels(image);
    // At the top right: the word "score", and under it the score once above 0.
    int scoreBands = Bands(image, image.width * 6 / 10, 0, image.height / 2, IsPureRed);

    // Text alone on black: the title's six lines, or the score's two.
    bool textScreen = blackShare >= 0.9 && text >= (screen == "score" ? 200 : 500);
    bool holds = screen == "title-white" ? textScreen && bands >= 5 && whiteText >= 0.9
                 : screen == "title-red" ? textScreen && bands >= 5 && redText >= 0.9
                 : screen == "score"     ? textScreen && bands == 2 && redText >= 0.9
                 : screen == "fuses"     ? playing && labels == 3
                 : screen == "blasts"    ? playing && labels == 0 && scoreBands == 2
                 : screen == "whole"     ? playing && wallGap >= 0.02 && labelTop >= 0.02 && labelHeight >= 0.04
                                         : playing;
    std::printf("%s %s: black %.3f grey %.3f text %ld (red %.2f white %.2f) bands %d detail floor %.4f walls %.4f "
                "labels %d score bands %d; black over the wall %.3f, red at the top right from %.3f, %.3f high\n",
                argv[2], holds ? "yes" : "no", blackShare, greyShare, text, redText, whiteText, bands, floorDetail,
                wallDetail, labels, scoreBands, wallGap, labelTop, labelHeight);
    return holds ? 0 : 1;
}
