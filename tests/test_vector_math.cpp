#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "math/matrix.h"
#include "math/vec4.h"

namespace {

void ExpectXyzw(const Vec4& v, float x, float y, float z, float w = 0.0f)
{
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
    EXPECT_EQ(v.w, w);
}

} // namespace

TEST(Vec4, ExactArithmeticOnXyzAlone)
{
    EXPECT_EQ(Vec4(1, 2, 3).Dot(Vec4(4, 5, 6)), 32.0f);
    // Summed z + y first: 1 + 1e8 - 1e8 in x-first order would lose the 1.
    EXPECT_EQ(Vec4(1.0f, 1e8f, -1e8f).Dot(Vec4(1, 1, 1)), 1.0f);
    EXPECT_EQ(Vec4(1, 0, 0, 7).Dot(Vec4(1, 0, 0, 9)), 1.0f);
    ExpectXyzw(Vec4(1, 0, 0).Cross(Vec4(0, 1, 0)), 0, 0, 1);
    ExpectXyzw(Vec4(1, 2, 3).Cross(Vec4(4, 5, 6)), -3, 6, -3);

    Vec4 v(1, 2, 3, 9);
    v += Vec4(10, 20, 30, 100);
    ExpectXyzw(v, 11, 22, 33, 9);
    v -= Vec4(1, 2, 3, 100);
    v *= 0.5f;
    ExpectXyzw(v, 5, 10, 15, 9);
    EXPECT_EQ(Vec4(3, 0, 4, 100).LengthSquared(), 25.0f);
}

TEST(Vec4, LengthAndNormalizeTreatSquaredLengthsBelowEpsilonAsZero)
{
    // The threshold 1e-9 is on the squared length: about 3.16e-5 in length.
    const struct {
        float x, length, normalizedX;
    } cases[] = {{0.0f, 0.0f, 0.0f}, {1e-5f, 0.0f, 1e-5f}, {3.1e-5f, 0.0f, 3.1e-5f},
                 {3.2e-5f, 3.2e-5f, 1.0f}, {1e-4f, 1e-4f, 1.0f}};
    for (const auto& c : cases) {
        Vec4 v(c.x, 0, 0);
        EXPECT_FLOAT_EQ(v.Length(), c.length) << c.x;
        v.Normalize();
        EXPECT_FLOAT_EQ(v.x, c.normalizedX) << c.x;
    }
    Vec4 v(3, 0, 4, 7);
    EXPECT_EQ(v.Length(), 5.0f);
    v.Normalize();
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.w, 7.0f);
}

TEST(Matrix, MultiplyIsColumnMajorAndMayTakeItself)
{
    Matrix m;
    for (int i = 0; i < 16; ++i)
        m.m[i] = float(1 + i / 4 + 4 * (i % 4)); // rows 1 2 3 4, 5 6 7 8, ...
    Matrix product;
    product *= m; // identity times m
    EXPECT_EQ(0, std::memcmp(product.m, m.m, sizeof m.m));
    m *= m;
    const float squared[4][4] = {{90, 100, 110, 120}, {202, 228, 254, 280}, {314, 356, 398, 440}, {426, 484, 542, 600}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(m.m[4 * c + r], squared[r][c]) << r << "," << c;
}

TEST(Matrix, QuarterTurnsAndOnlyTheirFourElements)
{
    Matrix y;
    y.m[12] = 3.0f; // a translation already there stays
    y.SetRotationY(float(M_PI / 2));
    // x goes to z and z to -x: column 0 is (0, 0, 1), column 2 (-1, 0, 0).
    const float wantY[16] = {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 3, 0, 0, 1};
    Matrix x;
    x.SetRotationX(float(M_PI / 2));
    const float wantX[16] = {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(y.m[i], wantY[i], 1e-7f) << i;
        EXPECT_NEAR(x.m[i], wantX[i], 1e-7f) << i;
    }
}
