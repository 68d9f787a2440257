#include "sim/sway.h"

#include <cmath>
#include <cstdint>

namespace {

// pi/2 in two parts: the first has 33 significant bits, so n times it is
// exact for n below 2^20, and the second carries the rest.
constexpr double TwoOverPi = 6.36619772367581382433e-01;
constexpr double HalfPiHead = 1.57079632673412561417e+00;
constexpr double HalfPiTail = 6.07710050650619224932e-11;

// Minimax polynomials for sine and cosine on [-pi/4, pi/4].
double SineNearZero(double x)
{
    constexpr double S1 = -1.66666666666666324348e-01;
    constexpr double S2 = 8.33333333332248946124e-03;
    constexpr double S3 = -1.98412698298579493134e-04;
    constexpr double S4 = 2.75573137070700676789e-06;
    constexpr double S5 = -2.50507602534068634195e-08;
    constexpr double S6 = 1.58969099521155010221e-10;
    double z = x * x;
    double v = z * x;
    double r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
    return x + v * (S1 + z * r);
}

double CosineNearZero(double x)
{
    constexpr double C1 = 4.16666666666666019037e-02;
    constexpr double C2 = -1.38888888888741095749e-03;
    constexpr double C3 = 2.48015872894767294178e-05;
    constexpr double C4 = -2.75573143513906633035e-07;
    constexpr double C5 = 2.08757232129817482790e-09;
    constexpr double C6 = -1.13596475577881948265e-11;
    double z = x * x;
    double r = z * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6)))));
    double half = 0.5 * z;
    double w = 1.0 - half;
    return w + (((1.0 - w) - half) + z * r);
}

} // namespace

double PortableSine(double x)
{
    // x = n pi/2 + r with |r| <= pi/4; the quadrant n picks the polynomial.
    double n = std::floor(x * TwoOverPi + 0.5);
    double r = (x - n * HalfPiHead) - n * HalfPiTail;
    switch (static_cast<int64_t>(n) & 3) {
    case 0: return SineNearZero(r);
    case 1: return CosineNearZero(r);
    case 2: return -SineNearZero(r);
    default: return -CosineNearZero(r);
    }
}

double SwayOffset(int g, float clock) { return 0.001 * PortableSine(double(10 * g) + double(clock)); }
