// The mouse and the game's three screens as a shell drives them: through the
// routing layer, frame by frame.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "app/events.h"
#include "game/frame.h"
#include "render/gl.h"
#include "tests/headless_fixture.h"
#include "scenes/scenes.h"
#include "world/globals.h"
#include "world/particles.h"
#include "world/round.h"

namespace {

// The display the mouse is mapped against; the viewport follows ScreenWidth.
constexpr int DisplayWidth = 1024, DisplayHeight = 768;

using Crowd = std::vector<Particle>;
Crowd TakeCrowd() { return Crowd(particles, particles + ParticleCount); }
bool IsCrowd(const Crowd& crowd) { return std::memcmp(crowd.data(), particles, sizeof particles) == 0; }
bool IsFreshCrowd()
{
    Crowd seen = TakeCrowd();
    ResetRound();
    return IsCrowd(seen);
}

int LitFuses()
{
    int lit = 0;
    for (int g = 0; g < ParticleCount; g += ParticlesPerPerson)
        lit += particles[g].fuse > 0.0f;
    return lit;
}

void Click(int mx, int my) { RouteLeftButtonDown(mx, my, DisplayWidth, DisplayHeight); }

class GameStates : public HeadlessGlTest {
protected:
    void SetUp() override
    {
        HeadlessGlTest::SetUp();
        ScreenWidth = Width;
        ScreenHeight = Height * 3 / 4;
        ClickPending = 0;
        RouteCreate();
    }
    void TearDown() override { ClickPending = 0; }
};

} // namespace

TEST(CursorMapping, DisplayPixelsBecomeTheGroundPointAndPressesLatchAClick)
{
    ClickPending = 0;
    // x runs -1 to 1 across the display; the ground point's depth (CursorZ
    // + 0.8) from 1 at the top row to 0 at 80 percent down, and beyond the
    // box off the window (Windows hands over signed 16-bit halves).
    const struct {
        int mx, my, width, height;
        float x, groundZ;
    } points[] = {{512, 0, 1024, 768, 0.0f, 1.0f},
                  {0, 384, 1024, 768, -1.0f, 0.375f},
                  {1023, 767, 1024, 768, 0.998046875f, -0.2483724f},
                  {-512, -384, 1024, 768, -2.0f, 1.625f},
                  {1024, 0, 2048, 1536, 0.0f, 1.0f}, // the display's size, not the window's
                  {2048, 1536, 2048, 1536, 1.0f, -0.25f}};
    for (const auto& p : points) {
        RouteMouseMove(p.mx, p.my, p.width, p.height);
        EXPECT_NEAR(CursorX, p.x, 1e-7f) << p.mx << "," << p.my;
        EXPECT_NEAR(CursorZ + 0.8f, p.groundZ, 1e-6f) << p.mx << "," << p.my;
    }
    EXPECT_EQ(ClickPending, 0) << "moving is not clicking";
    RouteLeftButtonDown(256, 192, 1024, 768);
    EXPECT_TRUE(ClickPending == 1 && CursorX == -0.5f);
    EXPECT_FLOAT_EQ(CursorZ + 0.8f, 0.6875f);
    // A display of no size keeps the last point; the press still counts.
    ClickPending = 0;
    RouteMouseMove(900, 700, 1024, 0);
    RouteLeftButtonDown(900, 700, 0, 768);
    EXPECT_TRUE(ClickPending == 1 && CursorX == -0.5f);
    ClickPending = 0;
}

TEST_F(GameStates, ATitleClickStartsPlayOnTheSameCrowdWithTheCountsAfresh)
{
    // What the last round left must not leak into the new one.
    PlayerScore = 77;
    ExplosionCount = 2;
    FusewalkersLeft = 0;
    Crowd before = TakeCrowd();
    Click(512, 400); // over the crowd
    RoutePaint();
    EXPECT_TRUE(CurrentState == Playing && FusewalkersLeft == 3 && ExplosionCount == 0 && PlayerScore == 0);
    EXPECT_EQ(LitFuses(), 0) << "the click that starts play places nobody";
    EXPECT_TRUE(IsCrowd(before)) << "title frames neither step nor rebuild the crowd";
}

TEST_F(GameStates, ARoundEndsWhenNoFallenHeadMovesFasterThanTheThreshold)
{
    // A squared speed of exactly the threshold is at rest; one step more is moving.
    ExplosionCount = 3;
    for (int g = 0; g < ParticleCount; g += ParticlesPerPerson)
        particles[g].vel = Vec4();
    particles[15 * ParticlesPerPerson].standing = 0;
    Vec4& vel = particles[15 * ParticlesPerPerson].vel;
    for (float x = 0.1f; vel.LengthSquared() != RestSpeedSquared && x < 0.11f; x = std::nextafter(x, 1.0f)) {
        float y = std::sqrt(RestSpeedSquared - x * x);
        for (float candidate : {std::nextafter(y, 0.0f), y, std::nextafter(y, 1.0f)})
            if (vel.LengthSquared() != RestSpeedSquared)
                vel = Vec4(x, candidate, 0.0f);
    }
    ASSERT_EQ(vel.LengthSquared(), RestSpeedSquared);
    EXPECT_TRUE(RoundHasEnded());
    vel.y = std::nextafter(vel.y, 1.0f);
    EXPECT_FALSE(RoundHasEnded());
    // A standing person never counts as moving; with somebody standing,
    // fewer than three blasts keep the round going; with nobody, it ends.
    particles[15 * ParticlesPerPerson].standing = 1;
    EXPECT_TRUE(RoundHasEnded());
    ExplosionCount = 2;
    EXPECT_FALSE(RoundHasEnded());
    vel = Vec4();
    for (int g = 0; g < ParticleCount; g += ParticlesPerPerson)
        particles[g].standing = 0;
    EXPECT_TRUE(RoundHasEnded());
}

TEST_F(GameStates, AScoreClickOrASizeMessageGoesBackToTheTitleWithAFreshCrowd)
{
    MidRoundCrowd();
    CurrentState = Score;
    Crowd played = TakeCrowd();
    RoutePaint();
    EXPECT_TRUE(CurrentState == Score && PlayerScore > 0 && IsCrowd(played)) << "the score screen steps nothing";
    Click(DisplayWidth / 2, DisplayHeight / 2);
    RoutePaint();
    RoutePaint();
    EXPECT_TRUE(CurrentState == Title && PlayerScore == 0 && LitFuses() == 0) << "and starts no new round";
    EXPECT_TRUE(IsFreshCrowd());

    MidRoundCrowd();
    float clock = FrameClock;
    RouteSize();
    EXPECT_TRUE(CurrentState == Title && PlayerScore == 0 && IsFreshCrowd());
    EXPECT_EQ(FrameClock, clock) << "only window creation restarts the clock";
    RouteCreate();
    EXPECT_EQ(FrameClock, 0.0f);
}

TEST_F(GameStates, EveryFrameClearsTheClickAdvancesTheClockAndTheTitlePromptBlinks)
{
    const int32_t states[] = {Title, Playing, Score};
    for (int32_t state : states) {
        RouteSize();
        CurrentState = state;
        FusewalkersLeft = 0;
        float clock = FrameClock;
        Click(100, 100);
        RoutePaint();
        EXPECT_TRUE(ClickPending == 0 && FrameClock == clock + 0.1f) << "state " << state;
    }
    // Each width holds for ten frames of the clock: 0.5, 2, 4, 1, 3, again.
    RouteSize();
    const float clocks[] = {1.0f, 2.0f, 2.9f, 3.0f, 4.0f, 5.0f};
    const float widths[] = {2.0f, 4.0f, 4.0f, 1.0f, 3.0f, 0.5f};
    for (int i = 0; i < 6; ++i) {
        FrameClock = clocks[i];
        RoutePaint();
        GLfloat width = 0.0f;
        glGetFloatv(GL_LINE_WIDTH, &width);
        EXPECT_EQ(width, widths[i]) << "FrameClock " << clocks[i];
    }
}
