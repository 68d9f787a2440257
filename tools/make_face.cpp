// Paints "face.bmp", the one texture of the game, from shapes: five equal
// bands across s (head, torso, legs, arms, room), each over the full t range.
// Around the body parts every texel is the colour key (255, 0, 255), which
// the alpha test cuts away.
//
//   make_face OUT.bmp [WIDTHxHEIGHT]      default 256x64, powers of two
//
// Each band is painted in its own coordinates: u runs 0 to 1 across the band
// (s from its low to its high edge) and t from the first file row (t = 0) to
// the last. How the drawing code lays the bands on a figure facing the
// viewer:
//   head   t = 0 at the crown, t = 1 under the chin; the neck sits at t 0.64
//   torso  t = 1 at the shoulders, t = 0 at the hips
//   legs   t = 1 at the hip, 0.5 at the knee, 0 at the foot;
//          u = 0 on the outside of the leg, u = 1 on the inside
//   arms   t = 1 at the shoulder, 0.5 at the elbow, 0 at the hand;
//          u = 0 on the outside of the arm, u = 1 on the inside
//   room   floor: u across from x = -1 to 1, t from front to back;
//          side walls: u from top to bottom; back wall: t from floor up
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Colour {
    double r, g, b;
};

// A painted texel, or nothing (the colour key).
struct Paint {
    bool opaque;
    Colour colour;
};

constexpr Paint Clear = {false, {0, 0, 0}};
Paint Solid(Colour c) { return {true, c}; }

Colour Mix(Colour a, Colour b, double k)
{
    return {a.r + (b.r - a.r) * k, a.g + (b.g - a.g) * k, a.b + (b.b - a.b) * k};
}

Colour Shade(Colour c, double k) { return {c.r * k, c.g * k, c.b * k}; }

double Square(double x) { return x * x; }

// Inside an ellipse: below 1 inside, above 1 outside.
double Ellipse(double u, double t, double cu, double ct, double ru, double rt)
{
    return Square((u - cu) / ru) + Square((t - ct) / rt);
}

// Distance-like measure of a box with rounded corners: <= 0 inside.
double RoundBox(double u, double t, double u0, double t0, double u1, double t1, double radius)
{
    double du = std::max({u0 + radius - u, u - (u1 - radius), 0.0});
    double dt = std::max({t0 + radius - t, t - (t1 - radius), 0.0});
    return std::sqrt(du * du + dt * dt) - radius;
}

const Colour Skin = {236, 188, 150};
const Colour SkinShadow = {196, 140, 110};
const Colour Hair = {92, 52, 28};
const Colour Eye = {25, 20, 30};
const Colour Mouth = {150, 40, 40};
const Colour Shirt = {40, 130, 210};
const Colour ShirtDark = {22, 78, 140};
const Colour Trousers = {58, 58, 72};
const Colour TrousersDark = {32, 32, 42};
const Colour Shoe = {48, 30, 20};
const Colour Belt = {70, 42, 24};
const Colour Buckle = {235, 200, 70};
const Colour TileLight = {168, 182, 176};
const Colour TileDark = {138, 152, 148};
const Colour Grout = {92, 100, 100};

// A round face under a cap of hair, facing the viewer; symmetric, so it does
// not matter that s runs from the figure's right to its left. Below the neck
// (t 0.64) the torso of a standing figure lies nearer the viewer than the
// head, so the face keeps above it and only a neck reaches lower.
Paint HeadBand(double u, double t)
{
    double face = Ellipse(u, t, 0.5, 0.34, 0.43, 0.33);
    if (face > 1.0) {
        if (t > 0.55 && t < 0.82 && std::fabs(u - 0.5) < 0.16)
            return Solid(SkinShadow);
        return Clear;
    }
    // Hair covers the crown and comes down a little at the sides.
    double hairline = 0.11 + 0.20 * Square((u - 0.5) / 0.43);
    if (t < hairline)
        return Solid(Hair);
    for (double side : {0.33, 0.67}) {
        if (Ellipse(u, t, side, 0.29, 0.085, 0.09) < 1.0)
            return Solid(Eye);
    }
    // A wide smile: the lower part of a ring below the eyes.
    double ring = Ellipse(u, t, 0.5, 0.34, 0.23, 0.17);
    if (t > 0.39 && ring > 0.45 && ring < 1.0)
        return Solid(Mouth);
    // A darker rim so the face stands out against a skin-coloured neighbour.
    if (face > 0.80)
        return Solid(SkinShadow);
    return Solid(Skin);
}

// A shirt from rounded shoulders to a belt at the hips.
Paint TorsoBand(double u, double t)
{
    // Slightly narrower at the waist than at the shoulders.
    double half = 0.50 - 0.10 * (1.0 - t);
    double edge = std::fabs(u - 0.5);
    if (RoundBox(u, t, 0.5 - half, 0.0, 0.5 + half, 1.0, 0.14) > 0.0)
        return Clear;
    // Collar opening at the neck, mostly behind the chin.
    if (t > 0.86 && Ellipse(u, t, 0.5, 1.0, 0.16, 0.16) < 1.0)
        return Solid(Skin);
    if (t < 0.12)
        return Solid(edge < 0.09 ? Buckle : Belt);
    if (edge > half - 0.10)
        return Solid(ShirtDark);
    return Solid(Shirt);
}

// Trousers narrowing to the ankle, and a shoe.
Paint LegBand(double u, double t)
{
    if (t < 0.14) {
        if (RoundBox(u, t, 0.06, 0.0, 0.96, 0.16, 0.06) > 0.0)
            return Clear;
        return Solid(Shoe);
    }
    // Full width at the hip, tapering on the outside towards the ankle.
    double outer = 0.02 + 0.16 * (1.0 - t);
    double inner = 0.98 - 0.06 * (1.0 - t);
    if (u < outer || u > inner)
        return Clear;
    // A seam down the outside and a shadow on the inside keep two legs apart.
    if (u < outer + 0.12 || u > inner - 0.12)
        return Solid(TrousersDark);
    return Solid(Trousers);
}

// A short sleeve, a bare forearm and a hand.
Paint ArmBand(double u, double t)
{
    if (t > 0.52) {
        // Kept off the band's edges: the room band's linear filtering
        // reaches one texel into this one.
        if (RoundBox(u, t, 0.03, 0.52, 0.97, 1.1, 0.25) > 0.0)
            return Clear;
        return Solid(u < 0.2 || u > 0.8 ? ShirtDark : Shirt);
    }
    if (Ellipse(u, t, 0.5, 0.10, 0.46, 0.11) < 1.0)
        return Solid(Skin);
    if (t < 0.10 || u < 0.14 || u > 0.86)
        return Clear;
    return Solid(u < 0.3 || u > 0.7 ? SkinShadow : Skin);
}

// Large square tiles in two tones with soft grout lines. The band is drawn
// magnified many times, so the pattern is kept coarse.
Paint RoomBand(double u, double t)
{
    const double across = 4.0, along = 2.0;
    double fu = u * across, ft = t * along;
    int cell = int(std::floor(fu)) + int(std::floor(ft));
    double du = std::fabs(fu - std::floor(fu) - 0.5) * 2.0;
    double dt = std::fabs(ft - std::floor(ft) - 0.5) * 2.0;
    double nearEdge = std::max(du, dt);
    Colour tile = (cell % 2 == 0) ? TileLight : TileDark;
    // A gentle bevel towards each tile's edge, then the grout.
    tile = Mix(tile, Shade(tile, 0.85), std::max(0.0, nearEdge - 0.6) / 0.4);
    if (nearEdge > 0.93)
        return Solid(Grout);
    return Solid(tile);
}

Paint Band(double s, double t)
{
    int band = std::min(4, int(s * 5.0));
    double u = s * 5.0 - band;
    switch (band) {
    case 0: return HeadBand(u, t);
    case 1: return TorsoBand(u, t);
    case 2: return LegBand(u, t);
    case 3: return ArmBand(u, t);
    default: return RoomBand(u, t);
    }
}

// A texel is the average of a grid of samples. It stays the colour key
// unless most samples are painted, so silhouettes keep exact key texels
// around them and no key colour bleeds into the painted ones.
void Texel(int x, int y, int width, int height, unsigned char bgr[3])
{
    constexpr int Samples = 4;
    Colour sum = {0, 0, 0};
    int painted = 0;
    int band = std::min(4, int((x + 0.5) / width * 5.0));
    // The room band's edges are sampled with linear filtering, which takes
    // in the texel beyond each edge: the last texel of the arms band at
    // s = 0.8, and through the repeat wrap the first texel of the head band
    // at s = 1. Both carry the room's own edge so its corners show no seam.
    const bool beforeRoom = band == 3 && int((x + 1.5) / width * 5.0) == 4;
    const bool wrapsToRoom = x == 0;
    if (beforeRoom || wrapsToRoom)
        band = 4;
    for (int j = 0; j < Samples; ++j) {
        for (int i = 0; i < Samples; ++i) {
            double s = (x + (i + 0.5) / Samples) / width;
            double t = (y + (j + 0.5) / Samples) / height;
            // A texel that straddles a band edge samples only its own band.
            if (beforeRoom)
                s = 0.8;
            else if (wrapsToRoom)
                s = 1.0 - 1e-9;
            else
                s = std::clamp(s, band / 5.0, (band + 1) / 5.0 - 1e-9);
            Paint p = Band(s, t);
            if (p.opaque) {
                sum = {sum.r + p.colour.r, sum.g + p.colour.g, sum.b + p.colour.b};
                ++painted;
            }
        }
    }
    if (painted * 2 <= Samples * Samples) {
        bgr[0] = 255, bgr[1] = 0, bgr[2] = 255;
        return;
    }
    auto channel = [&](double v) {
        return static_cast<unsigned char>(std::clamp(std::lround(v / painted), 0L, 255L));
    };
    bgr[0] = channel(sum.b);
    bgr[1] = channel(sum.g);
    bgr[2] = channel(sum.r);
    // An averaged texel must never land on the key by accident.
    if (bgr[0] == 255 && bgr[1] == 0 && bgr[2] == 255)
        bgr[1] = 1;
}

void PutU16(std::vector<unsigned char>& out, unsigned v)
{
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void PutU32(std::vector<unsigned char>& out, uint32_t v)
{
    PutU16(out, v & 0xffff);
    PutU16(out, v >> 16);
}

// A 24-bit uncompressed BMP; the first row written is texture row t = 0.
std::vector<unsigned char> MakeBitmap(int width, int height)
{
    const uint32_t stride = (3 * uint32_t(width) + 3) / 4 * 4;
    const uint32_t imageBytes = stride * uint32_t(height);
    std::vector<unsigned char> out;
    out.push_back('B');
    out.push_back('M');
    PutU32(out, 54 + imageBytes);
    PutU32(out, 0);
    PutU32(out, 54);
    PutU32(out, 40);
    PutU32(out, uint32_t(width));
    PutU32(out, uint32_t(height));
    PutU16(out, 1);
    PutU16(out, 24);
    PutU32(out, 0);
    PutU32(out, imageBytes);
    PutU32(out, 2835); // 72 dots per inch
    PutU32(out, 2835);
    PutU32(out, 0);
    PutU32(out, 0);
    for (int y = 0; y < height; ++y) {
        size_t rowStart = out.size();
        for (int x = 0; x < width; ++x) {
            unsigned char bgr[3];
            Texel(x, y, width, height, bgr);
            out.insert(out.end(), bgr, bgr + 3);
        }
        out.resize(rowStart + stride, 0);
    }
    return out;
}

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_face OUT.bmp [WIDTHxHEIGHT]\n");
        return 2;
    }
    int width = 256, height = 64;
    if (argc == 3 && std::sscanf(argv[2], "%dx%d", &width, &height) != 2) {
        std::fprintf(stderr, "size must be WIDTHxHEIGHT\n");
        return 2;
    }
    if (!IsPowerOfTwo(width) || !IsPowerOfTwo(height) || width < 16 || height < 8 || width > 4096 ||
        height > 4096) {
        std::fprintf(stderr, "width and height must be powers of two, 16x8 to 4096x4096\n");
        return 2;
    }
    std::vector<unsigned char> bitmap = MakeBitmap(width, height);
    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file || std::fwrite(bitmap.data(), 1, bitmap.size(), file) != bitmap.size()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        if (file)
            std::fclose(file);
        return 1;
    }
    if (std::fclose(file) != 0) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %d x %d\n", argv[1], width, height);
    return 0;
}
