// The vector and matrix types. (The sway's own sine shows in the crowd hash.)
#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "math/matrix.h"
#include "math/vec4.h"

TEST(Vec4, ExactArithmeticOnXyzAloneAndLengthsBelowTheThresholdAreZero)
{
    // Summed z + y first: 1 + 1e8 - 1e8 in x-first order would lose the 1.
    EXPECT_EQ(Vec4(1.0f, 1e8f, -1e8f).Dot(Vec4(1, 1, 1)), 1.0f);
    Vec4 v = Vec4(1, 2, 3).Cross(Vec4(4, 5, 6)); // (-3, 6, -3)
    v += Vec4(10, 20, 30, 100);
    v -= Vec4(1, 2, 3, 100);
    v *= 0.5f;
    EXPECT_TRUE(v.x == 3 && v.y == 12 && v.z == 12 && v.w == 0) << "w rides along untouched";
    // The threshold 1e-9 is on the squared length: about 3.16e-5 in length.
    for (float x : {0.0f, 3.1e-5f, 3.2e-5f}) {
        Vec4 u(x, 0, 0);
        EXPECT_FLOAT_EQ(u.Length(), x < 3.16e-5f ? 0.0f : x) << x;
        u.Normalize();
        EXPECT_FLOAT_EQ(u.x, x < 3.16e-5f ? x : 1.0f) << x;
    }
    Vec4 u(3, 0, 4);
    u.Normalize();
    EXPECT_TRUE(u.x == 0.6f && u.y == 0.0f && u.z == 0.8f);
}

TEST(Matrix, ColumnMajorProductsMayTakeThemselvesAndRotationsSetOnlyTheirElements)
{
    Matrix m, product;
    for (int i = 0; i < 16; ++i)
        m.m[i] = float(1 + i / 4 + 4 * (i % 4)); // rows 1 2 3 4, 5 6 7 8, ...
    product *= m;
    EXPECT_EQ(0, std::memcmp(product.m, m.m, sizeof m.m)) << "identity times m";
    m *= m;
    const float squared[4][4] = {{90, 100, 110, 120}, {202, 228, 254, 280}, {314, 356, 398, 440}, {426, 484, 542, 600}};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m.m[i], squared[i % 4][i / 4]) << i;
    Matrix y, x;
    y.m[12] = 3.0f; // a translation already there stays
    y.SetRotationY(float(M_PI / 2));
    x.SetRotationX(float(M_PI / 2));
    const float wantY[16] = {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 3, 0, 0, 1};
    const float wantX[16] = {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(std::fabs(y.m[i] - wantY[i]) < 1e-7f && std::fabs(x.m[i] - wantX[i]) < 1e-7f) << i;
}
