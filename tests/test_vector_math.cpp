#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "sim/matrix.h"
#include "sim/vec4.h"

namespace {

Matrix FromRows(const float (&rows)[4][4])
{
    Matrix m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m.m[4 * c + r] = rows[r][c];
    return m;
}

// Column vector (x, y, z, 1) multiplied by m.
void Apply(const Matrix& m, const float (&v)[4], float (&out)[4])
{
    for (int r = 0; r < 4; ++r) {
        out[r] = 0.0f;
        for (int c = 0; c < 4; ++c)
            out[r] += m.m[4 * c + r] * v[c];
    }
}

} // namespace

TEST(Vec4, DotSumsZThenYThenX)
{
    Vec4 a(1.0f, 2.0f, 3.0f);
    EXPECT_EQ(a.Dot(Vec4(4.0f, 5.0f, 6.0f)), 32.0f);

    // 1 + 1e8 - 1e8 in that order loses the 1; z + y first keeps it.
    Vec4 big(1.0f, 1e8f, -1e8f);
    Vec4 ones(1.0f, 1.0f, 1.0f);
    EXPECT_EQ(big.Dot(ones), 1.0f);
    // The w components take no part.
    EXPECT_EQ(Vec4(1, 0, 0, 7).Dot(Vec4(1, 0, 0, 9)), 1.0f);
}

TEST(Vec4, CrossIsRightHandedAndLeavesOperandsAlone)
{
    Vec4 x(1, 0, 0), y(0, 1, 0);
    Vec4 z = x.Cross(y);
    EXPECT_EQ(z.x, 0.0f);
    EXPECT_EQ(z.y, 0.0f);
    EXPECT_EQ(z.z, 1.0f);
    Vec4 minusZ = y.Cross(x);
    EXPECT_EQ(minusZ.z, -1.0f);
    EXPECT_EQ(x.x, 1.0f);

    Vec4 c = Vec4(1, 2, 3).Cross(Vec4(4, 5, 6));
    EXPECT_EQ(c.x, -3.0f);
    EXPECT_EQ(c.y, 6.0f);
    EXPECT_EQ(c.z, -3.0f);
}

TEST(Vec4, AssignOperatorsTouchXYZOnly)
{
    Vec4 v(1, 2, 3, 9);
    v += Vec4(10, 20, 30, 100);
    EXPECT_EQ(v.x, 11.0f);
    EXPECT_EQ(v.y, 22.0f);
    EXPECT_EQ(v.z, 33.0f);
    EXPECT_EQ(v.w, 9.0f);
    v -= Vec4(1, 2, 3, 100);
    EXPECT_EQ(v.x, 10.0f);
    EXPECT_EQ(v.z, 30.0f);
    EXPECT_EQ(v.w, 9.0f);
    v *= 0.5f;
    EXPECT_EQ(v.x, 5.0f);
    EXPECT_EQ(v.y, 10.0f);
    EXPECT_EQ(v.z, 15.0f);
    EXPECT_EQ(v.w, 9.0f);
}

TEST(Vec4, LengthTreatsSquaredLengthBelowEpsilonAsZero)
{
    EXPECT_EQ(Vec4(1e-5f, 0, 0).Length(), 0.0f); // squared 1e-10
    EXPECT_FLOAT_EQ(Vec4(1e-4f, 0, 0).Length(), 1e-4f); // squared 1e-8
    EXPECT_EQ(Vec4(3, 0, 4).Length(), 5.0f);
    EXPECT_EQ(Vec4(3, 0, 4, 100).LengthSquared(), 25.0f);
    // The threshold is on the squared length: about 3.16e-5 in length.
    EXPECT_EQ(Vec4(3.1e-5f, 0, 0).Length(), 0.0f);
    EXPECT_GT(Vec4(3.2e-5f, 0, 0).Length(), 0.0f);
}

TEST(Vec4, NormalizeScalesToUnitOrLeavesTinyVectors)
{
    Vec4 v(3, 0, 4, 7);
    v.Normalize();
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
    EXPECT_EQ(v.w, 7.0f);

    Vec4 zero;
    zero.Normalize();
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);
    EXPECT_FALSE(std::isnan(zero.x));

    Vec4 tiny(1e-5f, 0, 0);
    tiny.Normalize();
    EXPECT_EQ(tiny.x, 1e-5f);

    Vec4 small(1e-4f, 0, 0);
    small.Normalize();
    EXPECT_FLOAT_EQ(small.x, 1.0f);
}

TEST(Matrix, NewMatrixIsIdentityAndIdentityTimesMIsM)
{
    Matrix id;
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(id.m[i], (i % 5 == 0) ? 1.0f : 0.0f) << i;

    Matrix m = FromRows({{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}});
    Matrix product;
    product *= m;
    EXPECT_EQ(std::memcmp(product.m, m.m, sizeof m.m), 0);
    Matrix other = m;
    other *= Matrix();
    EXPECT_EQ(std::memcmp(other.m, m.m, sizeof m.m), 0);
}

TEST(Matrix, MultiplyIsThisTimesOtherInColumnMajor)
{
    Matrix a = FromRows({{1, 2, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}});
    Matrix b = FromRows({{1, 0, 0, 0}, {3, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}});
    a *= b;
    // [1 2; 0 1] * [1 0; 3 1] = [7 2; 3 1]
    EXPECT_EQ(a.m[0], 7.0f);
    EXPECT_EQ(a.m[4], 2.0f);
    EXPECT_EQ(a.m[1], 3.0f);
    EXPECT_EQ(a.m[5], 1.0f);
}

TEST(Matrix, MultiplyByItselfSquares)
{
    Matrix m = FromRows({{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}});
    m *= m;
    const float squared[4][4] = {
        {90, 100, 110, 120}, {202, 228, 254, 280}, {314, 356, 398, 440}, {426, 484, 542, 600}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(m.m[4 * c + r], squared[r][c]) << r << "," << c;
}

TEST(Matrix, RotationYOfQuarterTurnMapsXToZ)
{
    Matrix m;
    m.SetRotationY(float(M_PI / 2));
    float out[4];
    Apply(m, {1, 0, 0, 1}, out);
    EXPECT_NEAR(out[0], 0.0f, 1e-7f);
    EXPECT_EQ(out[1], 0.0f);
    EXPECT_NEAR(out[2], 1.0f, 1e-7f);
    Apply(m, {0, 0, 1, 1}, out);
    EXPECT_NEAR(out[0], -1.0f, 1e-7f);
    EXPECT_NEAR(out[2], 0.0f, 1e-7f);
    // Only four elements are written: a translation already there stays.
    Matrix t;
    t.m[12] = 3.0f;
    t.SetRotationY(0.3f);
    EXPECT_EQ(t.m[12], 3.0f);
    EXPECT_EQ(t.m[5], 1.0f);
}

TEST(Matrix, RotationXTurnsYTowardsZ)
{
    Matrix m;
    m.SetRotationX(float(M_PI / 2));
    float out[4];
    Apply(m, {0, 1, 0, 1}, out);
    EXPECT_NEAR(out[1], 0.0f, 1e-7f);
    EXPECT_NEAR(out[2], 1.0f, 1e-7f);
    EXPECT_EQ(m.m[0], 1.0f);
    EXPECT_EQ(m.m[15], 1.0f);
}
