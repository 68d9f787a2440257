#include <cstdint>

#include <gtest/gtest.h>

#include "world/globals.h"
#include "sim/fuse.h"
#include "world/particles.h"

// A hostile pose can fling heads at tens of thousands of units a second for
// a long time; the score must stop at the largest int, never wrap or hit an
// out-of-range conversion.
TEST(ScoreLimit, ImpactsSaturateAtTheLargestInt)
{
    particles[0].standing = 0;
    PlayerScore = INT32_MAX - 100;
    ScoreImpact(0, 1e9f);
    EXPECT_EQ(PlayerScore, INT32_MAX);
    ScoreImpact(0, 3.5f);
    EXPECT_EQ(PlayerScore, INT32_MAX);

    PlayerScore = 10;
    ScoreImpact(0, 2.5f);
    EXPECT_EQ(PlayerScore, 12);
}
