// The mouse and the game's three screens as a shell drives them: through the
// routing layer, frame by frame.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "app/events.h"
#include "game/frame.h"
#include "world/globals.h"
#include "render/gl.h"
#include "tests/headless_fixture.h"
#include "tests/scenes.h"
#include "world/particles.h"
#include "world/round.h"

namespace {

// The display the mouse is mapped against; the viewport follows ScreenWidth.
constexpr int DisplayWidth = 1024, DisplayHeight = 768;

using Crowd = std::vector<Particle>;
Crowd TakeCrowd() { return Crowd(particles, particles + ParticleCount); }
void PutCrowd(const Crowd& crowd) { std::copy(crowd.begin(), crowd.end(), particles); }
bool IsCrowd(const Crowd& crowd) { return std::memcmp(crowd.data(), particles, sizeof particles) == 0; }

int LitFuses()
{
    int lit = 0;
    for (int g = 0; g < ParticleCount; g += ParticlesPerPerson)
        lit += particles[g].fuse > 0.0f;
    return lit;
}

// Squared speed of the fastest fallen head.
float FastestFallenHead()
{
    float fastest = 0.0f;
    for (int g = 0; g < ParticleCount; g += ParticlesPerPerson)
        if (!particles[g].standing)
            fastest = std::max(fastest, particles[g].vel.LengthSquared());
    return fastest;
}

void Click(int mx, int my) { RouteLeftButtonDown(mx, my, DisplayWidth, DisplayHeight); }

// A click on the display pixel whose ground point is person p's head.
void ClickOnPerson(int p)
{
    const Vec4& head = particles[p * ParticlesPerPerson].pos;
    Click(int(std::lround((head.x + 1.0f) * 0.5f * DisplayWidth)),
          int(std::lround((1.0f - head.z) * DisplayHeight / 1.25f)));
}

void Frame() { RoutePaint(); }

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

    // From the title into play, with the crowd of the last reset.
    static void StartPlay()
    {
        Click(DisplayWidth / 2, DisplayHeight / 2);
        Frame();
        ASSERT_EQ(CurrentState, Playing);
    }
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
                  {0, 614, 1024, 768, -1.0f, 0.00065104f},
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
    EXPECT_EQ(ClickPending, 1);
    EXPECT_EQ(CursorX, -0.5f);
    EXPECT_FLOAT_EQ(CursorZ + 0.8f, 0.6875f);
    // A display of no size keeps the last point; the press still counts.
    ClickPending = 0;
    RouteMouseMove(900, 700, 1024, 0);
    RouteLeftButtonDown(900, 700, 0, 768);
    EXPECT_EQ(CursorX, -0.5f);
    EXPECT_FLOAT_EQ(CursorZ + 0.8f, 0.6875f);
    EXPECT_EQ(ClickPending, 1);
    ClickPending = 0;
}

TEST_F(GameStates, TitleClickStartsPlayOnTheSameCrowdAndPlacesNoFusewalker)
{
    Frame();
    ASSERT_EQ(CurrentState, Title);
    // What the last round left must not leak into the new one.
    PlayerScore = 77;
    ExplosionCount = 2;
    FusewalkersLeft = 0;
    Crowd before = TakeCrowd();
    ClickOnPerson(500);
    Frame();
    EXPECT_EQ(CurrentState, Playing);
    EXPECT_EQ(FusewalkersLeft, 3);
    EXPECT_EQ(ExplosionCount, 0);
    EXPECT_EQ(PlayerScore, 0);
    EXPECT_EQ(LitFuses(), 0) << "the click that starts play places nobody";
    EXPECT_TRUE(IsCrowd(before)) << "title frames neither step nor rebuild the crowd";
}

TEST_F(GameStates, ThreeClicksLightThreeFusesAndAFourthChangesNothing)
{
    StartPlay();
    // Two presses before a frame are one click, where the last one was.
    Click(0, 614);
    const int chosen[] = {123, 456, 789};
    for (int i = 0; i < 3; ++i) {
        ClickOnPerson(chosen[i]);
        Frame();
        EXPECT_GT(particles[chosen[i] * ParticlesPerPerson].fuse, 0.0f) << "person " << chosen[i];
        EXPECT_EQ(LitFuses(), i + 1);
        EXPECT_EQ(FusewalkersLeft, 2 - i);
    }

    // The same frame with and without a fourth click must come out the same.
    Crowd crowd = TakeCrowd();
    float clock = FrameClock;
    int32_t score = PlayerScore;
    Frame();
    Crowd withoutClick = TakeCrowd();
    PutCrowd(crowd);
    FrameClock = clock;
    PlayerScore = score;
    ClickOnPerson(300);
    Frame();
    EXPECT_TRUE(IsCrowd(withoutClick));
    EXPECT_EQ(LitFuses(), 3);
    EXPECT_EQ(CurrentState, Playing);
    EXPECT_EQ(ClickPending, 0) << "an unused click is still cleared at the end of the frame";
}

TEST_F(GameStates, RoundEndsOnTheFrameTheLastFallenHeadComesToRest)
{
    StartPlay();
    MidRoundCrowd();
    ASSERT_EQ(ExplosionCount, 3);
    ASSERT_GT(FastestFallenHead(), RestSpeedSquared);
    // Find, by the simulation alone, how many steps the crowd needs to settle.
    Crowd crowd = TakeCrowd();
    float clock = FrameClock;
    int32_t score = PlayerScore;
    int steps = 0;
    for (; !RoundHasEnded() && steps < 20000; ++steps)
        RunSteps(1);
    ASSERT_GT(steps, 1);
    ASSERT_LT(steps, 20000) << "the crowd never settled";
    // Replay all but the last of those steps, then let a real frame finish.
    PutCrowd(crowd);
    FrameClock = clock;
    PlayerScore = score;
    RunSteps(steps - 1);
    Frame();
    EXPECT_EQ(CurrentState, Score) << "the frame whose step settles the crowd ends the round";
}

TEST_F(GameStates, RestIsASquaredSpeedOfAtMostTwoHundredthsAndNobodyStandingEndsTheRound)
{
    StartPlay();
    Frame();
    EXPECT_EQ(CurrentState, Playing) << "everybody stands before the first blast";
    // Everybody drops where they stand: one step of gravity is far from a
    // squared speed of 0.02, so nothing counts as moving yet.
    for (int g = 0; g < ParticleCount; g += ParticlesPerPerson)
        particles[g].standing = 0;
    Frame();
    EXPECT_EQ(CurrentState, Score);

    // A squared length of exactly the threshold is at rest; one step of the
    // last bit more is moving.
    for (int g = 0; g < ParticleCount; g += ParticlesPerPerson)
        particles[g].vel = Vec4();
    ExplosionCount = 3;
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
    // fewer than three blasts keep the round going.
    particles[15 * ParticlesPerPerson].standing = 1;
    EXPECT_TRUE(RoundHasEnded());
    ExplosionCount = 2;
    EXPECT_FALSE(RoundHasEnded());
}

TEST_F(GameStates, ScoreClickResetsTheRoundAndStartsNoNewOne)
{
    StartPlay();
    ClickOnPerson(400);
    Frame();
    CurrentState = Score;
    PlayerScore = 1234;
    Crowd played = TakeCrowd();
    Frame();
    EXPECT_EQ(CurrentState, Score);
    EXPECT_EQ(PlayerScore, 1234);
    EXPECT_TRUE(IsCrowd(played)) << "the score screen does not step the crowd";

    Click(DisplayWidth / 2, DisplayHeight / 2);
    Frame();
    Frame();
    EXPECT_EQ(CurrentState, Title) << "the click leaves the score screen and starts nothing more";
    EXPECT_EQ(PlayerScore, 0);
    EXPECT_EQ(LitFuses(), 0);
    Crowd seen = TakeCrowd();
    ResetRound();
    EXPECT_TRUE(IsCrowd(seen)) << "a fresh crowd";
}

TEST_F(GameStates, SizeMessageMidRoundGoesBackToTheTitleWithAFreshCrowd)
{
    StartPlay();
    ClickOnPerson(250);
    Frame();
    MidRoundCrowd();
    ASSERT_GT(PlayerScore, 0);
    float clock = FrameClock;
    RouteSize();
    EXPECT_EQ(CurrentState, Title);
    EXPECT_EQ(PlayerScore, 0);
    EXPECT_EQ(FrameClock, clock) << "only window creation restarts the clock";
    Crowd seen = TakeCrowd();
    ResetRound();
    EXPECT_TRUE(IsCrowd(seen)) << "a fresh crowd";
    RouteCreate();
    EXPECT_EQ(FrameClock, 0.0f);
}

TEST_F(GameStates, EveryFrameClearsTheClickAndAdvancesTheClock)
{
    const int32_t states[] = {Title, Playing, Playing, Score};
    for (int i = 0; i < 4; ++i) {
        RouteSize();
        CurrentState = states[i];
        FusewalkersLeft = i == 2 ? 0 : 3; // the second playing frame has nobody left to place
        float clock = FrameClock;
        Click(100, 100);
        Frame();
        EXPECT_EQ(ClickPending, 0) << "case " << i;
        EXPECT_EQ(FrameClock, clock + 0.1f) << "case " << i;
    }
}

TEST_F(GameStates, TitlePromptBlinksThroughFiveLineWidths)
{
    // Each width holds for ten frames of the clock: 0.5, 2, 4, 1, 3, again.
    const float clocks[] = {0.0f, 1.0f, 2.0f, 2.9f, 3.0f, 4.0f, 5.0f};
    const float widths[] = {0.5f, 2.0f, 4.0f, 4.0f, 1.0f, 3.0f, 0.5f};
    for (int i = 0; i < 7; ++i) {
        FrameClock = clocks[i];
        Frame();
        GLfloat width = 0.0f;
        glGetFloatv(GL_LINE_WIDTH, &width);
        EXPECT_EQ(width, widths[i]) << "FrameClock " << clocks[i];
    }
}
