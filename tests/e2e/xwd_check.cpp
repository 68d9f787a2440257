// Tells from an X window dump (xwd -root) which of the game's screens is
// showing, so the end-to-end run can wait for each screen by polling.
//
//   xwd_check DUMP title-white|title-red|playing|score
//
// Exit 0 when the dump shows that screen, 1 when it does not, 2 when the
// dump cannot be read. One line of measurements goes to stdout either way.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Rgb {
    int r, g, b;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
    const Rgb& At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

uint32_t BigEndian32(const unsigned char* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

int LowestBit(uint32_t mask)
{
    int shift = 0;
    while (shift < 32 && !(mask >> shift & 1))
        ++shift;
    return shift;
}

// Scales a channel of any width to 0..255.
int Channel(uint32_t value, uint32_t mask)
{
    int shift = LowestBit(mask);
    uint32_t top = mask >> shift;
    return top ? int(((value & mask) >> shift) * 255 / top) : 0;
}

// ZPixmap dumps of TrueColor or DirectColor visuals, 16 to 32 bits a pixel:
// what Xvfb gives at depth 24, with or without Wine's colormap installed.
bool ReadDump(const char* path, Image* image, std::string* error)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (data.size() < 100) {
        *error = "too short for a header";
        return false;
    }
    uint32_t field[25];
    for (int i = 0; i < 25; ++i)
        field[i] = BigEndian32(&data[size_t(i) * 4]);
    uint32_t headerSize = field[0], version = field[1], format = field[2];
    uint32_t width = field[4], height = field[5], byteOrder = field[7];
    uint32_t bitsPerPixel = field[11], bytesPerLine = field[12], visualClass = field[13];
    uint32_t masks[3] = {field[14], field[15], field[16]};
    uint32_t colours = field[19];
    if (version != 7 || format != 2) {
        *error = "not a ZPixmap dump of version 7";
        return false;
    }
    if (visualClass != 4 && visualClass != 5) {
        *error = "not a TrueColor or DirectColor visual";
        return false;
    }
    if (bitsPerPixel < 16 || bitsPerPixel > 32 || bitsPerPixel % 8 != 0 || width < 1 || height < 1 ||
        width > 16384 || height > 16384 || uint64_t(bytesPerLine) < uint64_t(width) * bitsPerPixel / 8) {
        *error = "unexpected pixel layout";
        return false;
    }
    uint64_t start = uint64_t(headerSize) + uint64_t(colours) * 12;
    if (start + uint64_t(bytesPerLine) * height > data.size()) {
        *error = "pixel data cut short";
        return false;
    }

    int bytes = int(bitsPerPixel / 8);
    image->width = int(width);
    image->height = int(height);
    image->pixels.resize(size_t(width) * height);
    for (uint32_t y = 0; y < height; ++y) {
        const unsigned char* row = &data[start + uint64_t(y) * bytesPerLine];
        for (uint32_t x = 0; x < width; ++x) {
            const unsigned char* p = row + size_t(x) * bytes;
            uint32_t value = 0;
            for (int i = 0; i < bytes; ++i) {
                int at = byteOrder == 0 ? bytes - 1 - i : i;
                value = value << 8 | p[at];
            }
            image->pixels[size_t(y) * width + x] =
                Rgb{Channel(value, masks[0]), Channel(value, masks[1]), Channel(value, masks[2])};
        }
    }
    return true;
}

bool IsBlack(const Rgb& c) { return c.r < 24 && c.g < 24 && c.b < 24; }
bool IsRed(const Rgb& c) { return c.r >= 150 && c.g < 90 && c.b < 90; }
bool IsWhite(const Rgb& c) { return c.r >= 200 && c.g >= 200 && c.b >= 200; }

// The room's walls and floor: light enough to see, hardly coloured.
bool IsGrey(const Rgb& c)
{
    int high = std::max(c.r, std::max(c.g, c.b));
    int low = std::min(c.r, std::min(c.g, c.b));
    return high >= 80 && high - low <= 48;
}

struct Measures {
    double black = 0, grey = 0; // fractions of the screen
    double redText = 0, whiteText = 0; // fractions of the pixels that are not black
    long textPixels = 0;
    int textBands = 0; // runs of rows with text, apart by at least BandGap empty rows
    double floorDetail = 0, wallDetail = 0; // fractions of neighbours that differ sharply
};

constexpr int BandGap = 6;

double Detail(const Image& image, int fromRow, int toRow)
{
    long sharp = 0, pairs = 0;
    for (int y = fromRow; y < toRow; ++y) {
        for (int x = 0; x + 1 < image.width; ++x) {
            const Rgb& a = image.At(x, y);
            const Rgb& b = image.At(x + 1, y);
            if (std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) >= 60)
                ++sharp;
            ++pairs;
        }
    }
    return pairs ? double(sharp) / double(pairs) : 0.0;
}

Measures Measure(const Image& image)
{
    Measures m;
    long black = 0, grey = 0, red = 0, white = 0;
    int emptyRun = BandGap;
    for (int y = 0; y < image.height; ++y) {
        bool rowHasText = false;
        for (int x = 0; x < image.width; ++x) {
            const Rgb& c = image.At(x, y);
            if (IsBlack(c)) {
                ++black;
                continue;
            }
            rowHasText = true;
            ++m.textPixels;
            red += IsRed(c);
            white += IsWhite(c);
            grey += IsGrey(c);
        }
        if (rowHasText) {
            if (emptyRun >= BandGap)
                ++m.textBands;
            emptyRun = 0;
        } else {
            ++emptyRun;
        }
    }
    double all = double(image.width) * image.height;
    m.black = black / all;
    m.grey = grey / all;
    if (m.textPixels > 0) {
        m.redText = double(red) / double(m.textPixels);
        m.whiteText = double(white) / double(m.textPixels);
    }
    // The crowd stands on the floor in the lower part of the screen; the
    // walls above it are smooth.
    m.floorDetail = Detail(image, image.height * 6 / 10, image.height);
    m.wallDetail = Detail(image, image.height / 10, image.height * 45 / 100);
    return m;
}

// Text alone on black: the title's six lines or the score's one or two.
bool TextScreen(const Measures& m, long minimumPixels)
{
    return m.black >= 0.9 && m.textPixels >= minimumPixels;
}

bool Holds(const std::string& screen, const Measures& m)
{
    if (screen == "title-white")
        return TextScreen(m, 500) && m.textBands >= 5 && m.whiteText >= 0.9;
    if (screen == "title-red")
        return TextScreen(m, 500) && m.textBands >= 5 && m.redText >= 0.9;
    if (screen == "score")
        return TextScreen(m, 200) && m.textBands >= 1 && m.textBands <= 2 && m.redText >= 0.9;
    if (screen == "playing")
        return m.black <= 0.3 && m.grey >= 0.3 && m.floorDetail >= 0.02 && m.floorDetail >= 3 * m.wallDetail;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    const char* screens[] = {"title-white", "title-red", "playing", "score"};
    bool known = false;
    for (const char* s : screens)
        known = known || (argc == 3 && std::strcmp(argv[2], s) == 0);
    if (!known) {
        std::fprintf(stderr, "usage: xwd_check DUMP title-white|title-red|playing|score\n");
        return 2;
    }
    Image image;
    std::string error;
    if (!ReadDump(argv[1], &image, &error)) {
        std::fprintf(stderr, "xwd_check: %s: %s\n", argv[1], error.c_str());
        return 2;
    }
    Measures m = Measure(image);
    bool holds = Holds(argv[2], m);
    std::printf("%s %s: black %.3f grey %.3f text %ld (red %.2f white %.2f) bands %d detail floor %.4f walls %.4f\n",
                argv[2], holds ? "yes" : "no", m.black, m.grey, m.textPixels, m.redText, m.whiteText, m.textBands,
                m.floorDetail, m.wallDetail);
    return holds ? 0 : 1;
}
