// The game's three screens and the moves between them, driven the way a
// shell drives them: through the routing layer, frame by frame.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <vector>

#include <gtest/gtest.h>

#include "app/events.h"
#include "app/headless.h"
#include "game/frame.h"
#include "game/globals.h"
#include "render/gl.h"
#include "sim/fuse.h"
#include "tests/headless_fixture.h"
#include "tests/scenes.h"
#include "world/particles.h"
#include "world/round.h"

namespace {

// The display the mouse is mapped against; the viewport follows ScreenWidth.
constexpr int DisplayWidth = 1024;
constexpr int DisplayHeight = 768;

using Crowd = std::vector<Particle>;

Crowd TakeCrowd() { return Crowd(particles, particles + ParticleCount); }

void PutCrowd(const Crowd& crowd) { std::copy(crowd.begin(), crowd.end(), particles); }

bool SameBits(const Vec4& a, const Vec4& b) { return std::memcmp(&a, &b, sizeof(Vec4)) == 0; }

// The first particle that differs in any field; -1 when the crowds agree.
int FirstDifference(const Crowd& a, const Crowd& b)
{
    for (int g = 0; g < ParticleCount; ++g) {
        const Particle& p = a[size_t(g)];
        const Particle& q = b[size_t(g)];
        bool same = SameBits(p.pos, q.pos) && SameBits(p.vel, q.vel) && p.standing == q.standing &&
                    std::memcmp(&p.fuse, &q.fuse, sizeof(float)) == 0 && p.linkCount == q.linkCount;
        for (int j = 0; same && j < p.linkCount && j < MaxLinks; ++j)
            same = p.links[j].target == q.links[j].target &&
                   std::memcmp(&p.links[j].restLength, &q.links[j].restLength, sizeof(float)) == 0;
        if (!same)
            return g;
    }
    return -1;
}

Crowd FreshCrowd()
{
    Crowd saved = TakeCrowd();
    int32_t state = CurrentState, score = PlayerScore;
    ResetRound();
    Crowd fresh = TakeCrowd();
    PutCrowd(saved);
    CurrentState = state;
    PlayerScore = score;
    return fresh;
}

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

// The display pixel whose ground point is person p's head.
void PixelOf(int p, int* mx, int* my)
{
    const Vec4& head = particles[p * ParticlesPerPerson].pos;
    *mx = int(std::lround((head.x + 1.0f) * 0.5f * DisplayWidth));
    *my = int(std::lround((1.0f - head.z) * DisplayHeight / 1.25f));
}

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

    static void Click(int mx, int my) { RouteLeftButtonDown(mx, my, DisplayWidth, DisplayHeight); }

    static void ClickOnPerson(int p)
    {
        int mx = 0, my = 0;
        PixelOf(p, &mx, &my);
        Click(mx, my);
    }

    static void Frame() { RoutePaint(); }

    // From the title into play, with the crowd of the last reset.
    static void StartPlay()
    {
        Click(DisplayWidth / 2, DisplayHeight / 2);
        Frame();
        ASSERT_EQ(CurrentState, Playing);
    }
};

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
    EXPECT_EQ(FirstDifference(before, TakeCrowd()), -1) << "title frames neither step nor rebuild the crowd";
    EXPECT_EQ(ClickPending, 0);
}

TEST_F(GameStates, ThreeClicksLightThreeFusesAndAFourthChangesNothing)
{
    StartPlay();
    const int chosen[] = {123, 456, 789};
    for (int i = 0; i < 3; ++i) {
        ClickOnPerson(chosen[i]);
        Frame();
        EXPECT_GT(particles[chosen[i] * ParticlesPerPerson].fuse, 0.0f) << "person " << chosen[i];
        EXPECT_EQ(LitFuses(), i + 1);
        EXPECT_EQ(FusewalkersLeft, 2 - i);
        EXPECT_EQ(ClickPending, 0);
    }

    // The same frame with and without a fourth click must come out the same.
    Crowd crowd = TakeCrowd();
    float clock = FrameClock;
    int32_t score = PlayerScore, explosions = ExplosionCount;
    Frame();
    Crowd withoutClick = TakeCrowd();

    PutCrowd(crowd);
    FrameClock = clock;
    PlayerScore = score;
    ExplosionCount = explosions;
    ClickOnPerson(300);
    Frame();
    EXPECT_EQ(FirstDifference(withoutClick, TakeCrowd()), -1);
    EXPECT_EQ(LitFuses(), 3);
    EXPECT_EQ(FusewalkersLeft, 0);
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
    while (!RoundHasEnded() && steps < 20000) {
        RunSteps(1);
        ++steps;
    }
    ASSERT_LT(steps, 20000) << "the crowd never settled";
    ASSERT_GT(steps, 1);

    // Replay all but the last of those steps, then let real frames finish.
    PutCrowd(crowd);
    FrameClock = clock;
    PlayerScore = score;
    RunSteps(steps - 1);
    EXPECT_GT(FastestFallenHead(), RestSpeedSquared);
    Frame();
    EXPECT_EQ(CurrentState, Score) << "the frame whose step settles the crowd ends the round";
    EXPECT_LE(FastestFallenHead(), RestSpeedSquared);
}

TEST_F(GameStates, RestMeansASquaredSpeedOfAtMostTwoHundredths)
{
    StartPlay();
    for (int g = 0; g < ParticleCount; g += ParticlesPerPerson) {
        particles[g].standing = 0;
        particles[g].vel = Vec4();
    }
    ExplosionCount = 3;

    // A velocity whose squared length is exactly the threshold counts as at
    // rest; nudged up by one step of its last bit, as moving.
    Vec4& vel = particles[15 * ParticlesPerPerson].vel;
    bool exact = false;
    for (float x = 0.1f; !exact && x < 0.11f; x = std::nextafter(x, 1.0f)) {
        float y = std::sqrt(RestSpeedSquared - x * x);
        for (float candidate : {std::nextafter(y, 0.0f), y, std::nextafter(y, 1.0f)}) {
            vel = Vec4(x, candidate, 0.0f);
            if (vel.LengthSquared() == RestSpeedSquared) {
                exact = true;
                break;
            }
        }
    }
    ASSERT_TRUE(exact) << "no velocity with a squared length of exactly the threshold";
    EXPECT_TRUE(RoundHasEnded()) << "squared speed " << vel.LengthSquared();
    vel.y = std::nextafter(vel.y, 1.0f);
    ASSERT_GT(vel.LengthSquared(), RestSpeedSquared);
    EXPECT_FALSE(RoundHasEnded()) << "squared speed " << vel.LengthSquared();

    // A standing person never counts as moving, however fast it is stored.
    vel = Vec4();
    particles[15 * ParticlesPerPerson].standing = 1;
    particles[15 * ParticlesPerPerson].vel = Vec4(50.0f, 50.0f, 50.0f);
    EXPECT_TRUE(RoundHasEnded());

    // With somebody standing, fewer than three blasts keep the round going.
    ExplosionCount = 2;
    EXPECT_FALSE(RoundHasEnded());
    particles[15 * ParticlesPerPerson].standing = 0;
    particles[15 * ParticlesPerPerson].vel = Vec4();
    EXPECT_TRUE(RoundHasEnded()) << "nobody stands";
}

TEST_F(GameStates, RoundEndsWhenNobodyStandsWhateverTheBlasts)
{
    StartPlay();
    Frame();
    EXPECT_EQ(CurrentState, Playing) << "everybody stands before the first blast";

    // Everybody drops where they stand: one step of gravity is far from a
    // squared speed of 0.02, so nothing counts as moving yet.
    for (int g = 0; g < ParticleCount; g += ParticlesPerPerson)
        particles[g].standing = 0;
    ASSERT_EQ(ExplosionCount, 0);
    Frame();
    EXPECT_EQ(CurrentState, Score);
    EXPECT_LE(FastestFallenHead(), RestSpeedSquared);
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
    EXPECT_EQ(FirstDifference(played, TakeCrowd()), -1) << "the score screen does not step the crowd";

    Click(DisplayWidth / 2, DisplayHeight / 2);
    Frame();
    EXPECT_EQ(CurrentState, Title) << "the click leaves the score screen and starts nothing more";
    EXPECT_EQ(PlayerScore, 0);
    EXPECT_EQ(ClickPending, 0);
    EXPECT_EQ(FirstDifference(FreshCrowd(), TakeCrowd()), -1);
    EXPECT_EQ(LitFuses(), 0);

    Frame();
    EXPECT_EQ(CurrentState, Title);
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
    EXPECT_EQ(FirstDifference(FreshCrowd(), TakeCrowd()), -1);
    EXPECT_EQ(FrameClock, clock) << "only window creation restarts the clock";

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
        EXPECT_EQ(ClickPending, 0) << "state " << states[i] << ", case " << i;
        EXPECT_EQ(FrameClock, clock + 0.1f);
        Frame();
        EXPECT_EQ(ClickPending, 0);
    }
}

// Non-black pixels in rows [fromRow, toRow) of the pbuffer, bottom row 0.
int LitPixels(const std::vector<uint8_t>& pixels, int width, int fromRow, int toRow)
{
    int lit = 0;
    for (int y = fromRow; y < toRow; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &pixels[(size_t(y) * width + size_t(x)) * 4];
            lit += (p[0] | p[1] | p[2]) != 0;
        }
    return lit;
}

TEST_F(GameStates, TitlePromptBlinksThroughFiveLineWidths)
{
    // The prompt sits at y -0.6, z 0.15: row 64 of 256; the lines above it
    // start near row 80.
    const int promptRows[2] = {48, 76};
    const float widths[] = {0.5f, 2.0f, 4.0f, 1.0f, 3.0f, 0.5f};
    int promptPixels[6] = {};
    int otherPixels[6] = {};
    for (int t = 0; t < 6; ++t) {
        FrameClock = float(t);
        Frame();
        ASSERT_EQ(CurrentState, Title);
        GLfloat width = 0.0f;
        glGetFloatv(GL_LINE_WIDTH, &width);
        EXPECT_EQ(width, widths[t]) << "FrameClock " << t;
        std::vector<uint8_t> pixels = HeadlessReadPixels();
        promptPixels[t] = LitPixels(pixels, Width, promptRows[0], promptRows[1]);
        otherPixels[t] = LitPixels(pixels, Width, promptRows[1], Height);
    }
    for (int t = 0; t < 6; ++t)
        EXPECT_EQ(otherPixels[t], otherPixels[0]) << "the other lines stay at 0.5, FrameClock " << t;
    EXPECT_GT(promptPixels[0], 0);
    EXPECT_EQ(promptPixels[5], promptPixels[0]);
    EXPECT_GT(promptPixels[2], promptPixels[4]);
    EXPECT_GT(promptPixels[4], promptPixels[1]);
    EXPECT_GT(promptPixels[1], promptPixels[0]);

    // Between the steps the width holds for ten frames of the clock.
    FrameClock = 2.9f;
    Frame();
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 4.0f);
}

struct TextColours {
    int white = 0, red = 0, other = 0;
};

TextColours TitleTextColours()
{
    TextColours c;
    std::vector<uint8_t> pixels = HeadlessReadPixels();
    for (size_t i = 0; i < pixels.size(); i += 4) {
        int r = pixels[i], g = pixels[i + 1], b = pixels[i + 2];
        if ((r | g | b) == 0)
            continue;
        if (r == 255 && g == 255 && b == 255)
            ++c.white;
        else if (r == 255 && g == 0 && b == 0)
            ++c.red;
        else
            ++c.other;
    }
    return c;
}

TEST_F(GameStates, TitleIsWhiteAfterStartUpAndRedOnEveryLaterTitle)
{
    // A new context: nothing has set a colour yet, as at start-up.
    HeadlessClose();
    ASSERT_TRUE(HeadlessOpen(Width, Height));
    RouteCreate();
    Frame();
    TextColours first = TitleTextColours();
    EXPECT_GT(first.white, 200);
    EXPECT_EQ(first.red, 0);
    EXPECT_EQ(first.other, 0);

    // Back to the title by a size message mid-round.
    StartPlay();
    Frame();
    RouteSize();
    FrameClock = 0.0f; // the same blink width as the first title
    Frame();
    TextColours afterSize = TitleTextColours();
    EXPECT_EQ(afterSize.white, 0);
    EXPECT_EQ(afterSize.red, first.white);
    EXPECT_EQ(afterSize.other, 0);

    // Back to the title from the score screen.
    StartPlay();
    CurrentState = Score;
    Click(10, 10);
    Frame();
    ASSERT_EQ(CurrentState, Title);
    Frame();
    TextColours afterScore = TitleTextColours();
    EXPECT_EQ(afterScore.white, 0);
    EXPECT_GT(afterScore.red, 200);
}

} // namespace
