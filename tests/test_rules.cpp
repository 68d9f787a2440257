// The step's passes and the fuse rules on hand-placed particles, where a
// whole round would not reach: thresholds, ties, equal distances, points
// that coincide. Whole rounds are held to recorded dumps, the crowd hash and
// the docs pictures; hostile poses to the fuzzers' corpora.
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
    static void Place(int g, Vec4 pos, Vec4 vel = Vec4())
    {
        particles[g].pos = pos;
        particles[g].vel = vel;
    }
    static void ClickAt(const Vec4& ground)
    {
        CursorX = ground.x;
        CursorZ = ground.z - 0.8f;
        ClickPending = 1;
        LightFuse();
    }
    static bool Same(const Vec4& a, const Vec4& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

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
    for (const auto& r : rows) {
        Place(r.g, r.pos, r.vel);
        particles[r.g].standing = 0;
    }
    // A standing head at a wall is only clamped and scores nothing.
    Place(15 * 44, Vec4(-1.1f, -0.5f, 0.5f), Vec4(-3.2f, 0, 0));
    CollideWithBox();
    for (const auto& r : rows) {
        EXPECT_TRUE(Same(particles[r.g].pos, r.wantPos)) << "particle " << r.g;
        EXPECT_NEAR(particles[r.g].vel.x, r.wantVel.x, 1e-6f) << "particle " << r.g;
        EXPECT_NEAR(particles[r.g].vel.y, r.wantVel.y, 1e-6f) << "particle " << r.g;
        EXPECT_NEAR(particles[r.g].vel.z, r.wantVel.z, 1e-6f) << "particle " << r.g;
    }
    EXPECT_EQ(PlayerScore, 0 + 2 + 3);

    // The score stops at the largest int rather than wrapping past it.
    PlayerScore = INT32_MAX - 100;
    ScoreImpact(15 * 41, 1e9f);
    EXPECT_EQ(PlayerScore, INT32_MAX);
}

TEST_F(Rules, OneRelaxationPutsLinkedPairsAtRestLengthAndStandingHeadsHold)
{
    for (Particle& p : particles)
        p.linkCount = 0;
    auto link = [](int g, int target) { particles[g].links[particles[g].linkCount++] = {target, 0.01f}; };
    // Pairs along x, 0.01 apart at rest: stretched by 0.002 (a one-way link,
    // and one stored at both ends, which then finds nothing left to do), on
    // one point, closer than the length threshold, just above it.
    const struct {
        float a, b;
        bool twin;
        float wantA, wantB, wantVelA;
    } pairs[] = {{0.1f, 0.112f, false, 0.101f, 0.111f, 0.08f},  {0.2f, 0.212f, true, 0.201f, 0.211f, 0.08f},
                 {0.3f, 0.3f, true, 0.3f, 0.3f, 0.0f},            {0.4f, 0.4f + 2e-5f, false, 0.4f, 0.4f + 2e-5f, 0.0f},
                 {0.5f, 0.5f + 4e-5f, false, 0.49502f, 0.50502f, -0.3984f}};
    for (int i = 0; i < 5; ++i) {
        int a = 15 * 41 + 1 + 2 * i;
        Place(a, Vec4(pairs[i].a, -0.5f, 0.5f));
        Place(a + 1, Vec4(pairs[i].b, -0.5f, 0.5f));
        link(a, a + 1);
        if (pairs[i].twin)
            link(a + 1, a);
    }
    // A standing head is an anchor: only its neck moves, by half the stretch,
    // and the head's own copy of the link is skipped.
    int head = 15 * 42;
    link(head, head + 1);
    link(head + 1, head);
    Place(head, Vec4(0.3f, -0.5f, 0.5f));
    Place(head + 1, Vec4(0.3f, -0.512f, 0.5f));
    RelaxLinks();
    for (int i = 0; i < 5; ++i) {
        const Particle& a = particles[15 * 41 + 1 + 2 * i];
        const Particle& b = (&a)[1];
        EXPECT_NEAR(a.pos.x, pairs[i].wantA, 1e-6f) << i;
        EXPECT_NEAR(b.pos.x, pairs[i].wantB, 1e-6f) << i;
        EXPECT_NEAR(a.vel.x, pairs[i].wantVelA, 1e-4f) << i;
        EXPECT_NEAR(b.vel.x, -pairs[i].wantVelA, 1e-4f) << i;
    }
    EXPECT_TRUE(Same(particles[head].pos, Vec4(0.3f, -0.5f, 0.5f)));
    EXPECT_NEAR(particles[head + 1].pos.y, -0.511f, 1e-6f);
    EXPECT_NEAR(particles[head + 1].vel.y, 0.08f, 1e-5f);
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
        Vec4 at = centre;
        at += heads[i].offset;
        HeadOf(100 + i) = Particle{at, Vec4(0.1f, 0.2f, 0.3f), 0, {}, 1, -2.0f};
    }
    UpdateFuse(500);
    EXPECT_TRUE(ExplosionCount == 1 && HeadOf(500).fuse == -2.0f && !HeadOf(500).standing);
    EXPECT_NEAR(HeadOf(500).vel.y, 5.0f, 1e-5f) << "the Fusewalker's own head goes up";
    for (int i = 0; i < 6; ++i) {
        const Particle& h = HeadOf(100 + i);
        EXPECT_EQ(h.standing, heads[i].knocked ? 0 : 1) << i;
        EXPECT_NEAR(h.vel.x, heads[i].wantVelX, 1e-4f * heads[i].wantVelX) << i;
        EXPECT_TRUE(h.vel.y == 0.2f && h.vel.z == 0.3f) << i;
    }
    EXPECT_EQ(PlayerScore, 5) << "every standing head knocked down, the Fusewalker's too";
}

