// The mouse as the shells hand it to the routing layer: a client pixel and
// the display mode's size become the cursor's ground point, and a press is a
// latch that the next frame consumes.
#include <cmath>

#include <gtest/gtest.h>

#include "app/events.h"
#include "game/globals.h"
#include "tests/headless_fixture.h"
#include "world/particles.h"

namespace {

// The ground point's depth: the readers add 0.8 to CursorZ.
float GroundZ() { return CursorZ + 0.8f; }

class CursorMapping : public ::testing::Test {
protected:
    void SetUp() override
    {
        CursorX = 0.0f;
        CursorZ = 0.0f;
        ClickPending = 0;
    }
    void TearDown() override { ClickPending = 0; }
};

TEST_F(CursorMapping, PixelsOfA1024By768Display)
{
    RouteMouseMove(512, 0, 1024, 768);
    EXPECT_EQ(CursorX, 0.0f);
    EXPECT_FLOAT_EQ(GroundZ(), 1.0f) << "the top row is the back edge of the box";

    RouteMouseMove(0, 384, 1024, 768);
    EXPECT_EQ(CursorX, -1.0f);
    EXPECT_FLOAT_EQ(GroundZ(), 0.375f);

    RouteMouseMove(1023, 767, 1024, 768);
    EXPECT_FLOAT_EQ(CursorX, 0.998046875f);
    EXPECT_NEAR(GroundZ(), -0.248f, 0.0005f);
    // Worked in double and stored once as float.
    EXPECT_EQ(CursorZ, float(-(1.25 * (767.0 / 768.0) - 0.2)));

    RouteMouseMove(0, 614, 1024, 768);
    EXPECT_NEAR(GroundZ(), 0.0f, 0.002f) << "80 percent down the display is the front edge";
}

TEST_F(CursorMapping, DisplaySizeNotWindowSizeScalesTheMapping)
{
    ScreenWidth = 640;
    ScreenHeight = 480;
    RouteMouseMove(1024, 0, 2048, 1536);
    EXPECT_EQ(CursorX, 0.0f);
    EXPECT_FLOAT_EQ(GroundZ(), 1.0f);
    RouteMouseMove(2048, 1536, 2048, 1536);
    EXPECT_EQ(CursorX, 1.0f);
    EXPECT_FLOAT_EQ(GroundZ(), -0.25f);
}

TEST_F(CursorMapping, PointsOffTheWindowMapBeyondTheBox)
{
    // Windows hands over signed 16-bit halves: left of and above the window.
    RouteMouseMove(-512, -384, 1024, 768);
    EXPECT_EQ(CursorX, -2.0f);
    EXPECT_FLOAT_EQ(GroundZ(), 1.625f);
}

TEST_F(CursorMapping, PressSetsThePointWithoutAMoveAndLatchesAClick)
{
    RouteLeftButtonDown(256, 192, 1024, 768);
    EXPECT_EQ(ClickPending, 1);
    EXPECT_EQ(CursorX, -0.5f);
    EXPECT_FLOAT_EQ(GroundZ(), 0.6875f);

    // A second press before any frame moves the point but is the same click.
    RouteLeftButtonDown(768, 0, 1024, 768);
    EXPECT_EQ(ClickPending, 1);
    EXPECT_EQ(CursorX, 0.5f);
}

TEST_F(CursorMapping, MovingIsNotClicking)
{
    RouteMouseMove(100, 100, 1024, 768);
    RouteMouseMove(900, 700, 1024, 768);
    EXPECT_EQ(ClickPending, 0);
}

TEST_F(CursorMapping, DisplayOfNoSizeKeepsTheLastPoint)
{
    RouteMouseMove(256, 192, 1024, 768);
    float x = CursorX, z = CursorZ;
    RouteMouseMove(900, 700, 0, 0);
    RouteMouseMove(900, 700, 1024, 0);
    RouteLeftButtonDown(900, 700, 0, 768);
    EXPECT_EQ(CursorX, x);
    EXPECT_EQ(CursorZ, z);
    EXPECT_FALSE(std::isnan(CursorX) || std::isnan(CursorZ));
    EXPECT_EQ(ClickPending, 1) << "the press still counts";
}

class ClickLatch : public HeadlessGlTest {
protected:
    void SetUp() override
    {
        HeadlessGlTest::SetUp();
        ScreenWidth = Width;
        ScreenHeight = Height * 3 / 4;
        ClickPending = 0;
        RouteCreate();
        RouteLeftButtonDown(512, 384, 1024, 768);
        RoutePaint();
        ASSERT_EQ(CurrentState, Playing);
    }
    void TearDown() override { ClickPending = 0; }

    static int Lit()
    {
        int lit = 0;
        for (int g = 0; g < ParticleCount; g += ParticlesPerPerson)
            lit += particles[g].fuse > 0.0f;
        return lit;
    }
};

TEST_F(ClickLatch, TwoPressesBeforeAFrameAreOneClickWhereTheLastOneWas)
{
    // Far apart: the left end of the front row, then the right end.
    RouteLeftButtonDown(0, 614, 1024, 768);
    RouteLeftButtonDown(1023, 614, 1024, 768);
    RoutePaint();
    EXPECT_EQ(Lit(), 1);
    EXPECT_EQ(FusewalkersLeft, 2);
    int litPerson = -1;
    for (int p = 0; p < PeopleCount; ++p)
        if (particles[p * ParticlesPerPerson].fuse > 0.0f)
            litPerson = p;
    ASSERT_GE(litPerson, 0);
    EXPECT_GT(particles[litPerson * ParticlesPerPerson].pos.x, 0.9f) << "the frame uses the point as it stands";
}

TEST_F(ClickLatch, MovesBetweenFramesLightNothing)
{
    for (int i = 0; i < 5; ++i) {
        RouteMouseMove(100 * i, 500, 1024, 768);
        RoutePaint();
    }
    EXPECT_EQ(Lit(), 0);
    EXPECT_EQ(FusewalkersLeft, 3);
}

} // namespace
