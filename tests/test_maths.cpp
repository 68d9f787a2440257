// The vector and matrix types, and the sway's portable sine.
#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "math/matrix.h"
#include "math/vec4.h"
#include "sim/sway.h"

TEST(Vec4, ExactArithmeticOnXyzAloneAndLengthsBelowTheThresholdAreZero)
{
    // Summed z + y first: 1 + 1e8 - 1e8 in x-first order would lose the 1.
    EXPECT_EQ(Vec4(1.0f, 1e8f, -1e8f).Dot(Vec4(1, 1, 1)), 1.0f);
    EXPECT_EQ(Vec4(1, 2, 3, 7).Dot(Vec4(4, 5, 6, 9)), 32.0f);
    Vec4 c = Vec4(1, 2, 3).Cross(Vec4(4, 5, 6));
    EXPECT_TRUE(c.x == -3 && c.y == 6 && c.z == -3);
    Vec4 v(1, 2, 3, 9);
    v += Vec4(10, 20, 30, 100);
    v -= Vec4(1, 2, 3, 100);
    v *= 0.5f;
    EXPECT_TRUE(v.x == 5 && v.y == 10 && v.z == 15 && v.w == 9) << "w rides along untouched";

    // The threshold 1e-9 is on the squared length: about 3.16e-5 in length.
    const struct {
        float x, length, normalizedX;
    } cases[] = {{0.0f, 0.0f, 0.0f}, {3.1e-5f, 0.0f, 3.1e-5f}, {3.2e-5f, 3.2e-5f, 1.0f}, {1e-4f, 1e-4f, 1.0f}};
    for (const auto& k : cases) {
        Vec4 u(k.x, 0, 0);
        EXPECT_FLOAT_EQ(u.Length(), k.length) << k.x;
        u.Normalize();
        EXPECT_FLOAT_EQ(u.x, k.normalizedX) << k.x;
    }
    Vec4 u(3, 0, 4);
    u.Normalize();
    EXPECT_TRUE(u.x == 0.6f && u.y == 0.0f && u.z == 0.8f);
}

TEST(Matrix, ColumnMajorProductsMayTakeThemselvesAndRotationsSetOnlyTheirElements)
{
    Matrix m;
    for (int i = 0; i < 16; ++i)
        m.m[i] = float(1 + i / 4 + 4 * (i % 4)); // rows 1 2 3 4, 5 6 7 8, ...
    Matrix product;
    product *= m;
    EXPECT_EQ(0, std::memcmp(product.m, m.m, sizeof m.m)) << "identity times m";
    m *= m;
    const float squared[4][4] = {{90, 100, 110, 120}, {202, 228, 254, 280}, {314, 356, 398, 440}, {426, 484, 542, 600}};
    for (int r = 0; r < 4; ++r)
        for (int col = 0; col < 4; ++col)
            EXPECT_EQ(m.m[4 * col + r], squared[r][col]) << r << "," << col;

    Matrix y, x;
    y.m[12] = 3.0f; // a translation already there stays
    y.SetRotationY(float(M_PI / 2));
    x.SetRotationX(float(M_PI / 2));
    const float wantY[16] = {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 3, 0, 0, 1};
    const float wantX[16] = {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(y.m[i], wantY[i], 1e-7f) << i;
        EXPECT_NEAR(x.m[i], wantX[i], 1e-7f) << i;
    }
}

// Its own fixed sequence of operations, and yet the C library's sine to
// within rounding over every argument the game reaches, in every quadrant.
TEST(PortableSine, MatchesTheLibrarySineOverTheGamesArguments)
{
    double worst = 0.0;
    for (int g = 0; g < 15000; ++g)
        for (double clock : {0.0, 0.1, 1.7, 123.4, 9999.9, 2097152.0}) {
            double x = double(10 * g) + clock;
            worst = std::fmax(worst, std::fabs(PortableSine(x) - std::sin(x)));
        }
    for (double x : {0.3, 1.2, 2.5, 4.0, 5.9})
        worst = std::fmax(worst, std::fabs(PortableSine(-x) - std::sin(-x)));
    EXPECT_LT(worst, 1e-15);
    EXPECT_DOUBLE_EQ(SwayOffset(7, 0.5f), 0.001 * PortableSine(70.5));
}
