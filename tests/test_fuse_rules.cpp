#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "app/headless.h"
#include "game/globals.h"
#include "render/gl.h"
#include "sim/fuse.h"
#include "sim/physics.h"
#include "tests/expected_glyphs.h"
#include "tests/headless_fixture.h"
#include "tests/line_recorder.h"
#include "tests/temp_work_dir.h"
#include "world/particles.h"
#include "world/round.h"

namespace {

// The rules draw the countdown labels, so these tests hold a GL context.
class FuseRules : public HeadlessGlTest {
protected:
    void SetUp() override
    {
        HeadlessGlTest::SetUp();
        UseIdentityView(Width, Height);
        ResetRound();
        CurrentState = Playing;
        FusewalkersLeft = 3;
        ExplosionCount = 0;
        PlayerScore = 0;
        ClickPending = 0;
        FrameClock = 0.0f;
    }

    void TearDown() override { ClickPending = 0; }

    static Particle& HeadOf(int person) { return particles[person * ParticlesPerPerson]; }

    static void AimAt(const Vec4& at)
    {
        CursorX = at.x;
        CursorZ = at.z - 0.8f;
    }

    static void Click()
    {
        ClickPending = 1;
        LightFuse();
    }

    static void KnockEveryoneDown()
    {
        for (int g = 0; g < ParticleCount; g += ParticlesPerPerson)
            particles[g].standing = 0;
    }

    static int LitCount()
    {
        int lit = 0;
        for (int g = 0; g < ParticleCount; g += ParticlesPerPerson)
            lit += particles[g].fuse > 0.0f;
        return lit;
    }

    static int StandingCount()
    {
        int standing = 0;
        for (int g = 0; g < ParticleCount; g += ParticlesPerPerson)
            standing += particles[g].standing;
        return standing;
    }

    TempWorkDir dir; // no ragdoll.rag: the shipped pose
};

} // namespace

TEST_F(FuseRules, ClickLightsTheNearestHead)
{
    AimAt(HeadOf(500).pos);
    Click();
    EXPECT_EQ(HeadOf(500).fuse, 100.0f);
    EXPECT_EQ(LitCount(), 1);
    EXPECT_EQ(ClickPending, 0);
    EXPECT_EQ(FusewalkersLeft, 2);

    // The distance is taken to a point on the ground: a head lying there
    // beats the standing head right above the cursor.
    Vec4 aim = HeadOf(300).pos;
    HeadOf(10).standing = 0;
    HeadOf(10).pos = Vec4(aim.x + 0.05f, -0.99f, aim.z);
    AimAt(aim);
    Click();
    EXPECT_EQ(HeadOf(10).fuse, 100.0f);
    EXPECT_EQ(HeadOf(300).fuse, -2.0f);
    EXPECT_EQ(FusewalkersLeft, 1);
}

TEST_F(FuseRules, TieGoesToTheLowerPerson)
{
    CursorX = 0.5f;
    CursorZ = 0.125f; // ground point z = 0.925, behind the last row
    HeadOf(20).pos = Vec4(0.4375f, -1.0f, 0.925f);
    HeadOf(10).pos = Vec4(0.5625f, -1.0f, 0.925f);
    Click();
    EXPECT_EQ(HeadOf(10).fuse, 100.0f);
    EXPECT_EQ(HeadOf(20).fuse, -2.0f);

    HeadOf(10).fuse = -2.0f;
    HeadOf(20).pos.x = 0.4376f; // now a little nearer
    Click();
    EXPECT_EQ(HeadOf(20).fuse, 100.0f);
    EXPECT_EQ(HeadOf(10).fuse, -2.0f);
}

TEST_F(FuseRules, ClickWithNoFusewalkerLeftIsNotConsumed)
{
    AimAt(HeadOf(500).pos);
    FusewalkersLeft = 0;
    Click();
    EXPECT_EQ(LitCount(), 0);
    EXPECT_EQ(ClickPending, 1);
    EXPECT_EQ(FusewalkersLeft, 0);

    FusewalkersLeft = 3;
    ClickPending = 0;
    LightFuse();
    EXPECT_EQ(LitCount(), 0);
    EXPECT_EQ(FusewalkersLeft, 3);
}

TEST_F(FuseRules, CountdownShowsOneHundredToOneThenBlowsUp)
{
    AimAt(HeadOf(500).pos);
    Click();
    for (int step = 1; step <= 100; ++step) {
        SCOPED_TRACE(step);
        Vec4 head = HeadOf(500).pos; // the label sits where the head was before the step
        std::vector<RecordedLine> lines = RecordLines(Width, Height, [] { StepSimulation(TimeStep); });
        FrameClock += 0.1f;
        ExpectSameLines(lines, expected::Number(101 - step, head.x, head.y, head.z, 0.025f));
        for (const RecordedLine& l : lines) {
            EXPECT_EQ(l.r, 1.0f);
            EXPECT_EQ(l.g, 0.0f);
            EXPECT_EQ(l.b, 0.0f);
            EXPECT_EQ(l.a, 1.0f);
        }
        EXPECT_EQ(HeadOf(500).fuse, float(100 - step));
        ASSERT_EQ(ExplosionCount, 0);
        ASSERT_EQ(HeadOf(500).standing, 1);
    }
    std::vector<RecordedLine> lines = RecordLines(Width, Height, [] { StepSimulation(TimeStep); });
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(ExplosionCount, 1);
    EXPECT_EQ(HeadOf(500).fuse, -2.0f);
    EXPECT_EQ(HeadOf(500).standing, 0);
    EXPECT_GE(PlayerScore, 1);

    // Gone for good: more steps draw nothing and blow nothing up.
    for (int step = 0; step < 5; ++step)
        EXPECT_TRUE(RecordLines(Width, Height, [] { StepSimulation(TimeStep); }).empty());
    EXPECT_EQ(ExplosionCount, 1);
}

TEST_F(FuseRules, CountdownLabelReachesThePixels)
{
    HeadOf(500).pos = Vec4(0.25f, 0.0f, 0.5f);
    HeadOf(500).fuse = 100.0f;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    StepSimulation(TimeStep);
    glFinish();
    std::vector<uint8_t> px = HeadlessReadPixels();

    // "100" right-aligned at x = 0.25: cells at 0.2125, 0.175, 0.1375, a
    // cell 0.025 wide and 0.05 high, i.e. in window pixels x 144 to 160, y 124 to 132.
    int inside = 0, outside = 0;
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            std::vector<uint8_t> p = Pixel(px, x, y);
            bool red = p[0] > 128 && p[1] < 64 && p[2] < 64;
            bool near = x >= 142 && x <= 160 && y >= 122 && y <= 133;
            (near ? inside : outside) += red;
        }
    }
    EXPECT_GT(inside, 20);
    EXPECT_EQ(outside, 0);
    // The middle of the "0" next to the head is a hole.
    std::vector<uint8_t> hole = Pixel(px, 155, 128);
    EXPECT_LT(hole[0], 64);
}

TEST_F(FuseRules, FuseStatesOfTheHead)
{
    // A fraction draws its whole part and counts down from there.
    HeadOf(300).fuse = 2.7f;
    Vec4 head = HeadOf(300).pos;
    std::vector<RecordedLine> lines = RecordLines(Width, Height, [] { UpdateFuse(300); });
    ExpectSameLines(lines, expected::Number(2, head.x, head.y, head.z, 0.025f));
    EXPECT_FLOAT_EQ(HeadOf(300).fuse, 1.7f);

    // Below 1 the label has no digits; the fuse is then firing.
    HeadOf(300).fuse = 0.5f;
    EXPECT_TRUE(RecordLines(Width, Height, [] { UpdateFuse(300); }).empty());
    EXPECT_EQ(HeadOf(300).fuse, -0.5f);
    EXPECT_EQ(ExplosionCount, 0);
    UpdateFuse(300);
    EXPECT_EQ(ExplosionCount, 1);
    EXPECT_EQ(HeadOf(300).fuse, -2.0f);

    // -1 and below are out.
    HeadOf(400).fuse = -1.0f;
    UpdateFuse(400);
    EXPECT_EQ(HeadOf(400).fuse, -1.0f);
    EXPECT_EQ(ExplosionCount, 1);
}

TEST_F(FuseRules, SamePersonLitTwiceExplodesOnce)
{
    AimAt(HeadOf(500).pos);
    Click();
    for (int i = 0; i < 30; ++i)
        StepSimulation(TimeStep);
    EXPECT_EQ(HeadOf(500).fuse, 70.0f);
    AimAt(HeadOf(500).pos);
    Click();
    EXPECT_EQ(HeadOf(500).fuse, 100.0f);
    EXPECT_EQ(FusewalkersLeft, 1);
    for (int i = 0; i < 100; ++i)
        StepSimulation(TimeStep);
    EXPECT_EQ(ExplosionCount, 0); // the first lighting's 101st step has passed
    StepSimulation(TimeStep);
    EXPECT_EQ(ExplosionCount, 1);
    for (int i = 0; i < 200; ++i)
        StepSimulation(TimeStep);
    EXPECT_EQ(ExplosionCount, 1);
}

TEST_F(FuseRules, BlastReachesStrictlyInsideHalfAUnit)
{
    KnockEveryoneDown();
    HeadOf(500).pos = Vec4(0.0f, -0.3f, 0.875f); // blast centre (0, -0.5, 0.875), behind the crowd
    float cy = -0.3f - 0.2f;
    HeadOf(100).standing = 1;
    HeadOf(100).pos = Vec4(0.4f, cy, 0.875f);
    HeadOf(101).standing = 1;
    HeadOf(101).pos = Vec4(0.0f, cy, 0.375f);
    HeadOf(102).standing = 1;
    HeadOf(102).pos = Vec4(-0.5f, cy, 0.875f);
    Detonate(500);

    EXPECT_EQ(HeadOf(100).standing, 0);
    EXPECT_NEAR(HeadOf(100).vel.x, 2.5f, 1e-5f);
    EXPECT_EQ(HeadOf(100).vel.y, 0.0f);
    EXPECT_EQ(HeadOf(100).vel.z, 0.0f);
    // Exactly 0.5 away: untouched and still standing.
    EXPECT_EQ(HeadOf(101).standing, 1);
    EXPECT_EQ(HeadOf(101).vel.z, 0.0f);
    EXPECT_EQ(HeadOf(102).standing, 1);
    EXPECT_EQ(HeadOf(102).vel.x, 0.0f);
    EXPECT_EQ(PlayerScore, 1);
    EXPECT_EQ(ExplosionCount, 0); // counted by the fuse, not by the blast
}

TEST_F(FuseRules, FusewalkerThrowsItsOwnHeadUp)
{
    KnockEveryoneDown();
    HeadOf(500).standing = 1;
    HeadOf(500).pos = Vec4(0.0f, -0.25f, 0.875f); // blast centre (0, -0.45, 0.875)
    particles[15 * 500 + Neck].pos = Vec4(0.0f, -0.35f, 0.875f);
    HeadOf(500).fuse = 0.0f;
    UpdateFuse(500);
    EXPECT_EQ(ExplosionCount, 1);
    EXPECT_EQ(HeadOf(500).fuse, -2.0f);
    EXPECT_EQ(HeadOf(500).standing, 0);
    EXPECT_EQ(PlayerScore, 1);
    EXPECT_EQ(HeadOf(500).vel.x, 0.0f);
    EXPECT_NEAR(HeadOf(500).vel.y, 5.0f, 1e-5f);
    EXPECT_EQ(HeadOf(500).vel.z, 0.0f);
    // Body parts in reach are thrown too but score nothing.
    EXPECT_NEAR(particles[15 * 500 + Neck].vel.y, 10.0f, 1e-4f);
    EXPECT_EQ(particles[15 * 500 + Neck].standing, 0);
}

TEST_F(FuseRules, ParticleOnTheBlastCentreIsKnockedDownWithoutNaN)
{
    KnockEveryoneDown();
    HeadOf(500).pos = Vec4(0.0f, -0.3f, 0.9f);
    Vec4 centre(0.0f, -0.3f - 0.2f, 0.9f);
    HeadOf(100).standing = 1;
    HeadOf(100).pos = centre;
    HeadOf(100).vel = Vec4(0.1f, 0.2f, 0.3f);
    HeadOf(101).standing = 1;
    HeadOf(101).pos = Vec4(centre.x + 2e-5f, centre.y, centre.z); // inside the length threshold
    HeadOf(102).standing = 1;
    HeadOf(102).pos = Vec4(centre.x + 1e-3f, centre.y, centre.z);
    Detonate(500);
    EXPECT_EQ(HeadOf(100).standing, 0);
    EXPECT_EQ(HeadOf(100).vel.x, 0.1f);
    EXPECT_EQ(HeadOf(100).vel.y, 0.2f);
    EXPECT_EQ(HeadOf(100).vel.z, 0.3f);
    EXPECT_EQ(HeadOf(101).standing, 0);
    EXPECT_EQ(HeadOf(101).vel.x, 0.0f);
    EXPECT_NEAR(HeadOf(102).vel.x, 1000.0f, 0.1f);
    EXPECT_EQ(PlayerScore, 3);
    for (const Particle& p : particles) {
        ASSERT_TRUE(std::isfinite(p.vel.x) && std::isfinite(p.vel.y) && std::isfinite(p.vel.z));
    }
}

TEST_F(FuseRules, FallenHeadKnocksDownOnlyWithinItsReach)
{
    Vec4 at = HeadOf(200).pos;
    HeadOf(900).standing = 0;
    HeadOf(900).pos = Vec4(at.x + 0.013f, at.y, at.z);
    SpreadFalls();
    EXPECT_EQ(HeadOf(200).standing, 0);
    EXPECT_EQ(PlayerScore, 0);
    EXPECT_EQ(StandingCount(), 998);

    HeadOf(901).standing = 0;
    Vec4 other = HeadOf(400).pos;
    HeadOf(901).pos = Vec4(other.x, other.y, other.z + 0.015f);
    SpreadFalls();
    EXPECT_EQ(HeadOf(400).standing, 1);
    EXPECT_EQ(StandingCount(), 997); // 901 itself is down, nobody else
}

TEST_F(FuseRules, KnockOnPassesDownwardsWithinOnePass)
{
    // Three heads in a line 0.013 apart, behind the crowd; only neighbours touch.
    auto put = [](int person, float x) { HeadOf(person).pos = Vec4(x, -0.5f, 0.95f); };
    put(100, 0.0f);
    put(200, 0.013f);
    put(300, 0.026f);
    HeadOf(100).standing = 0;
    SpreadFalls();
    EXPECT_EQ(HeadOf(200).standing, 0);
    EXPECT_EQ(HeadOf(300).standing, 0); // 200 fell before the pass reached it

    ResetRound();
    put(100, 0.0f);
    put(200, 0.013f);
    put(300, 0.026f);
    HeadOf(300).standing = 0;
    SpreadFalls();
    EXPECT_EQ(HeadOf(200).standing, 0);
    EXPECT_EQ(HeadOf(100).standing, 1); // 200 fell after the pass went by it
    SpreadFalls();
    EXPECT_EQ(HeadOf(100).standing, 0);
    EXPECT_EQ(PlayerScore, 0);
}

TEST_F(FuseRules, FallenHeadsScoreTheWholePartOfTheirImpactSpeed)
{
    int a = 15 * 40, b = 15 * 41;
    HeadOf(40).standing = 0;
    HeadOf(41).standing = 0;
    particles[a].pos = Vec4(0.0f, -1.0f, 0.9f);
    particles[a].vel = Vec4(0.0f, -0.99f, 0.0f);
    particles[b].pos = Vec4(0.2f, -1.0f, 0.9f);
    particles[b].vel = Vec4(0.0f, -2.5f, 0.0f);
    CollideWithBox();
    EXPECT_EQ(PlayerScore, 2);
    EXPECT_FLOAT_EQ(particles[a].vel.y, 0.396f);
    EXPECT_EQ(particles[b].vel.y, 1.0f);

    // Every strike counts on its own and adds to what is there.
    PlayerScore = 5;
    ScoreImpact(b, 2.5f);
    EXPECT_EQ(PlayerScore, 7);
    ScoreImpact(b + 1, 9.0f);
    ScoreImpact(15 * 42, 9.0f); // standing
    EXPECT_EQ(PlayerScore, 7);
}

TEST_F(FuseRules, WallStrikeScoresOnlyForAFallenHead)
{
    HeadOf(40).standing = 0;
    particles[15 * 40].pos = Vec4(1.1f, -0.5f, 0.5f);
    particles[15 * 40].vel = Vec4(3.2f, 0.0f, 0.0f);
    CollideWithBox();
    EXPECT_EQ(PlayerScore, 3);

    PlayerScore = 0;
    particles[15 * 41 + Hand0].pos = Vec4(1.1f, -0.5f, 0.5f);
    particles[15 * 41 + Hand0].vel = Vec4(3.2f, 0.0f, 0.0f);
    particles[15 * 42].pos = Vec4(-1.1f, -0.5f, 0.5f); // standing head
    particles[15 * 42].vel = Vec4(-3.2f, 0.0f, 0.0f);
    CollideWithBox();
    EXPECT_EQ(PlayerScore, 0);
    EXPECT_FLOAT_EQ(particles[15 * 42].vel.x, 2.88f);
}
