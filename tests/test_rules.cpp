// The vector maths, the step's passes and the fuse rules on hand-placed particles, where whole rounds (held to
// recorded dumps elsewhere) do not reach: thresholds, ties, equal distances, coinciding points.
#include <cmath>

#include <gtest/gtest.h>

#include "sim/fuse.h"
#include "sim/physics.h"
#include "tests/headless_fixture.h"
#include "scenes/scenes.h"
#include "tests/test_files.h"
#include "world/globals.h"
#include "world/particles.h"

namespace {

// The rules draw the countdown labels, so these tests hold a GL context.
class Rules : public HeadlessGlTest {
protected:
    void SetUp() override
    {
        HeadlessGlTest::SetUp();
        FrameClock = 0.0f;
        StartRound();
        ClickPending = 0;
    }
    void TearDown() override { ClickPending = 0; }

    static Particle& HeadOf(int person) { return particles[person * ParticlesPerPerson]; }
    static void ClickAt(const Vec4& ground)
    {
        CursorX = ground.x;
        CursorZ = ground.z - 0.8f;
        ClickPending = 1;
        LightFuse();
    }
    static bool Near(Vec4 a, const Vec4& b, float within)
    {
        a -= b;
        return a.LengthSquared() <= within * within;
    }

    TempWorkDir dir; // no ragdoll.rag: the shipped pose
};

} // namespace

TEST_F(Rules, TheBoxReflectsAndOnlyFallenHeadsScoreTheWholePartOfTheirSpeed)
{
    const struct {
        int g;
        Vec4 pos, vel, wantPos, wantVel;
    } rows[] = {
        {15 * 40 + 1, {0.2f, -1, 0.5f}, {1, -2, 1}, {0.2f, -0.99f, 0.5f}, {0.5f, 0.8f, 0.5f}},
        {15 * 40 + 2, {0.2f, -1, 0.5f}, {1, 0.3f, 1}, {0.2f, -0.99f, 0.5f}, {1, 0.3f, 1}}, // already rising
        {15 * 40 + 3, {0.3f, -0.99f, 0.5f}, {1, -1, 1}, {0.3f, -0.99f, 0.5f}, {1, -1, 1}}, // on the floor itself
        {15 * 40 + 4, {1.5f, -0.5f, 0.5f}, {2, 0.25f, -0.5f}, {1, -0.5f, 0.5f}, {-1.8f, 0.25f, -0.5f}},
        {15 * 40 + 5, {-1.2f, -0.5f, 0.5f}, {-1, 0, 0}, {-1, -0.5f, 0.5f}, {0.9f, 0, 0}},
        {15 * 40 + 6, {0, -0.5f, -0.1f}, {0, 0, -1}, {0, -0.5f, 0}, {0, 0, 0.9f}},
        {15 * 40 + 7, {0, -0.5f, 1.1f}, {0, 0, 2}, {0, -0.5f, 1}, {0, 0, -1.8f}},
        {15 * 40 + 8, {1.5f, -0.5f, 0.5f}, {-1, 0, 0}, {1, -0.5f, 0.5f}, {-1, 0, 0}}, // already coming back
        {15 * 40 + 9, {1.5f, -1.2f, 1.1f}, {2, -1, 2}, {1, -0.99f, 1}, {-0.9f, 0.4f, -0.9f}}, // floor, then walls
        // Fallen heads: 0.99 into the floor scores 0, 2.5 scores 2, 3.2 into a wall 3.
        {15 * 41, {0, -1, 0.9f}, {0, -0.99f, 0}, {0, -0.99f, 0.9f}, {0, 0.396f, 0}},
        {15 * 42, {0.2f, -1, 0.9f}, {0, -2.5f, 0}, {0.2f, -0.99f, 0.9f}, {0, 1.0f, 0}},
        {15 * 43, {1.1f, -0.5f, 0.5f}, {3.2f, 0, 0}, {1, -0.5f, 0.5f}, {-2.88f, 0, 0}},
    };
    for (const auto& r : rows)
        particles[r.g] = Particle{r.pos, r.vel, 0, {}, 0, -2.0f};
    // A standing head at a wall is only clamped and scores nothing.
    particles[15 * 44].pos = Vec4(-1.1f, -0.5f, 0.5f);
    particles[15 * 44].vel = Vec4(-3.2f, 0, 0);
    CollideWithBox();
    for (const auto& r : rows)
        EXPECT_TRUE(Near(particles[r.g].pos, r.wantPos, 0.0f) && Near(particles[r.g].vel, r.wantVel, 1e-6f)) << r.g;
    EXPECT_EQ(PlayerScore, 0 + 2 + 3);

    // The score stops at the largest int rather than wrapping past it.
    PlayerScore = INT32_MAX - 100;
    ScoreImpact(15 * 41, 1e9f);
    EXPECT_EQ(PlayerScore, INT32_MAX);
}

TEST_F(Rules, AClickLightsTheHeadNearestItsGroundPointTiesToTheLowerPerson)
{
    ClickAt(HeadOf(500).pos);
    EXPECT_TRUE(HeadOf(500).fuse == 100.0f && ClickPending == 0 && FusewalkersLeft == 2);
    // The point is on the ground: a head lying there beats the standing head above it.
    Vec4 aim = HeadOf(300).pos;
    HeadOf(10).standing = 0;
    HeadOf(10).pos = Vec4(aim.x + 0.05f, -0.99f, aim.z);
    ClickAt(aim);
    EXPECT_TRUE(HeadOf(10).fuse == 100.0f && HeadOf(300).fuse == -2.0f);
    HeadOf(40).pos = Vec4(0.4375f, -1.0f, 0.925f);
    HeadOf(30).pos = Vec4(0.5625f, -1.0f, 0.925f);
    ClickAt(Vec4(0.5f, 0.0f, 0.925f));
    EXPECT_TRUE(HeadOf(30).fuse == 100.0f && HeadOf(40).fuse == -2.0f);
    // Nobody left to place: the click is not taken.
    ClickAt(HeadOf(700).pos);
    EXPECT_TRUE(HeadOf(700).fuse == -2.0f && ClickPending == 1 && FusewalkersLeft == 0);
}

TEST_F(Rules, AFuseCountsDownAHundredStepsThenBlowsUpOnceEvenIfLitTwice)
{
    ClickAt(HeadOf(500).pos);
    RunSteps(30);
    ClickAt(HeadOf(500).pos);
    for (int step = 1; step <= 100; ++step) {
        RunSteps(1);
        ASSERT_TRUE(HeadOf(500).fuse == float(100 - step) && ExplosionCount == 0 && HeadOf(500).standing) << step;
    }
    RunSteps(1);
    EXPECT_TRUE(ExplosionCount == 1 && HeadOf(500).fuse == -2.0f && !HeadOf(500).standing);
    RunSteps(150);
    EXPECT_EQ(ExplosionCount, 1);
    // A fraction counts down from its whole part; -1 and below are out.
    HeadOf(300).fuse = 1.5f;
    HeadOf(400).fuse = -1.0f;
    UpdateFuse(400);
    for (float want : {0.5f, -0.5f, -2.0f}) {
        UpdateFuse(300);
        EXPECT_EQ(HeadOf(300).fuse, want);
    }
    EXPECT_TRUE(HeadOf(400).fuse == -1.0f && ExplosionCount == 2);
}

TEST_F(Rules, ABlastThrowsAndKnocksDownStrictlyInsideHalfAUnit)
{
    for (int p = 0; p < PeopleCount; ++p)
        HeadOf(p).standing = 0;
    // The blast centre is 0.2 below the Fusewalker's head, behind the crowd.
    const Vec4 centre(0.0f, -0.5f, 0.875f);
    HeadOf(500).standing = 1;
    HeadOf(500).pos = Vec4(0.0f, -0.3f, 0.875f);
    HeadOf(500).fuse = 0.0f;
    const struct {
        Vec4 offset;
        bool knocked;
        float wantVelX; // from 0.1
    } heads[] = {
        {{0.4f, 0, 0}, true, 0.1f + 2.5f}, {{0, 0, -0.5f}, false, 0.1f}, {{-0.5f, 0, 0}, false, 0.1f},
        {{0, 0, 0}, true, 0.1f}, // on the centre: no direction, no NaN
        {{2e-5f, 0, 0}, true, 0.1f}, // inside the length threshold
        {{1e-3f, 0, 0}, true, 0.1f + 1000.0f},
    };
    for (int i = 0; i < 6; ++i) {
        HeadOf(100 + i) = Particle{centre, Vec4(0.1f, 0.2f, 0.3f), 0, {}, 1, -2.0f};
        HeadOf(100 + i).pos += heads[i].offset;
    }
    UpdateFuse(500);
    EXPECT_TRUE(ExplosionCount == 1 && HeadOf(500).fuse == -2.0f && !HeadOf(500).standing);
    EXPECT_NEAR(HeadOf(500).vel.y, 5.0f, 1e-5f) << "the Fusewalker's own head goes up";
    for (int i = 0; i < 6; ++i) {
        const Particle& h = HeadOf(100 + i);
        EXPECT_TRUE(h.standing == !heads[i].knocked && h.vel.y == 0.2f && h.vel.z == 0.3f &&
                    std::fabs(h.vel.x - heads[i].wantVelX) < 1e-4f * heads[i].wantVelX)
            << i;
    }
    EXPECT_EQ(PlayerScore, 5) << "every standing head knocked down, the Fusewalker's too";
}

TEST(Vec4, DotSumsFromZAndLengthsBelowTheThresholdAreZero)
{
    // Summed z + y first: 1 + 1e8 - 1e8 in x-first order would lose the 1.
    EXPECT_EQ(Vec4(1.0f, 1e8f, -1e8f).Dot(Vec4(1, 1, 1)), 1.0f);
    // The threshold 1e-9 is on the squared length: about 3.16e-5 in length.
    for (float x : {0.0f, 3.1e-5f, 3.2e-5f}) {
        Vec4 u(x, 0, 0);
        EXPECT_FLOAT_EQ(u.Length(), x < 3.16e-5f ? 0.0f : x) << x;
        u.Normalize();
        EXPECT_FLOAT_EQ(u.x, x < 3.16e-5f ? x : 1.0f) << x;
    }
}
