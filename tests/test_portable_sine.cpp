#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "sim/sway.h"

// The sway's sine must agree with the C library's to within rounding over
// every argument the game can reach, while coming from its own fixed
// sequence of operations.
TEST(PortableSine, MatchesTheLibrarySineOverTheGamesArguments)
{
    double worst = 0.0;
    for (int g = 0; g < 15000; ++g) {
        for (double clock : {0.0, 0.1, 1.7, 123.4, 9999.9, 2097152.0}) {
            double x = double(10 * g) + clock;
            worst = std::fmax(worst, std::fabs(PortableSine(x) - std::sin(x)));
        }
    }
    EXPECT_LT(worst, 1e-15);
}

TEST(PortableSine, QuadrantsAndSigns)
{
    const double pi = 3.14159265358979323846;
    EXPECT_EQ(PortableSine(0.0), 0.0);
    EXPECT_NEAR(PortableSine(pi / 2), 1.0, 1e-16);
    EXPECT_NEAR(PortableSine(pi), 0.0, 1e-15);
    EXPECT_NEAR(PortableSine(3 * pi / 2), -1.0, 1e-16);
    for (double x : {0.3, 1.2, 2.5, 4.0, 5.9, 100.0, 149990.0}) {
        EXPECT_NEAR(PortableSine(-x), -PortableSine(x), 1e-15) << x;
        EXPECT_NEAR(PortableSine(x), std::sin(x), 1e-15) << x;
    }
}

TEST(PortableSine, SwayIsATenthOfAPercentOfTheSine)
{
    EXPECT_EQ(SwayOffset(0, 0.0f), 0.0);
    EXPECT_DOUBLE_EQ(SwayOffset(7, 0.5f), 0.001 * PortableSine(70.5));
}
