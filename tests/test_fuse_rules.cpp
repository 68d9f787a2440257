// Fuses, blasts, falls spreading and the casualty score, one rule at a time
// and then over a whole round.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "game/frame.h"
#include "world/globals.h"
#include "render/font.h"
#include "sim/fuse.h"
#include "sim/physics.h"
#include "tests/gl_recorder.h"
#include "tests/headless_fixture.h"
#include "tests/scenes.h"
#include "tests/test_files.h"
#include "world/particles.h"
#include "world/round.h"

namespace {

// The rules draw the countdown labels, so these tests hold a GL context.
class FuseRules : public HeadlessGlTest {
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

    static void KnockEveryoneDown()
    {
        for (int p = 0; p < PeopleCount; ++p)
            HeadOf(p).standing = 0;
    }

    static int Count(bool (*what)(const Particle& head))
    {
        int n = 0;
        for (int p = 0; p < PeopleCount; ++p)
            n += what(HeadOf(p));
        return n;
    }
    static bool Lit(const Particle& head) { return head.fuse > 0.0f; }
    static bool Standing(const Particle& head) { return head.standing != 0; }

    static void ExpectSameLines(const Fed& got, const Fed& want)
    {
        ASSERT_EQ(got.lines.size(), want.lines.size());
        for (size_t i = 0; i < got.lines.size(); ++i)
            for (int v = 0; v < 2; ++v) {
                const FedVertex& w = want.lines[i][size_t(v)];
                EXPECT_TRUE(Near(got.lines[i][size_t(v)], w.x, w.y, w.z, 0.0f)) << "line " << i;
            }
    }

    TempWorkDir dir; // no ragdoll.rag: the shipped pose
};

} // namespace

TEST_F(FuseRules, ClickLightsTheHeadNearestTheCursorsGroundPoint)
{
    ClickAt(HeadOf(500).pos);
    EXPECT_EQ(HeadOf(500).fuse, 100.0f);
    EXPECT_EQ(Count(Lit), 1);
    EXPECT_EQ(ClickPending, 0);
    EXPECT_EQ(FusewalkersLeft, 2);

    // The point is on the ground: a head lying there beats the standing head above it.
    Vec4 aim = HeadOf(300).pos;
    HeadOf(10).standing = 0;
    HeadOf(10).pos = Vec4(aim.x + 0.05f, -0.99f, aim.z);
    ClickAt(aim);
    EXPECT_EQ(HeadOf(10).fuse, 100.0f);
    EXPECT_EQ(HeadOf(300).fuse, -2.0f);

    // A tie goes to the lower person.
    HeadOf(40).pos = Vec4(0.4375f, -1.0f, 0.925f);
    HeadOf(30).pos = Vec4(0.5625f, -1.0f, 0.925f);
    ClickAt(Vec4(0.5f, 0.0f, 0.925f));
    EXPECT_EQ(HeadOf(30).fuse, 100.0f);
    EXPECT_EQ(HeadOf(40).fuse, -2.0f);
    EXPECT_EQ(FusewalkersLeft, 0);
}

TEST_F(FuseRules, CountdownLabelsOneHundredToOneThenTheBlastInStep101)
{
    ClickAt(HeadOf(500).pos);
    for (int step = 1; step <= 100; ++step) {
        SCOPED_TRACE(step);
        Vec4 head = HeadOf(500).pos; // the label sits where the head was before the step
        Fed got = RecordFeedback([] { StepSimulation(TimeStep); });
        FrameClock += 0.1f;
        ExpectSameLines(got, RecordFeedback([&] { DrawNumber(101 - step, head, 0.025f); }));
        ASSERT_FALSE(got.lines.empty());
        for (const FedPrimitive& line : got.lines)
            EXPECT_TRUE(line[0].r == 1.0f && line[0].g == 0.0f && line[0].b == 0.0f && line[0].a == 1.0f);
        ASSERT_EQ(HeadOf(500).fuse, float(100 - step));
        ASSERT_EQ(ExplosionCount, 0);
        ASSERT_EQ(HeadOf(500).standing, 1);
    }
    EXPECT_TRUE(RecordFeedback([] { StepSimulation(TimeStep); }).lines.empty());
    EXPECT_EQ(ExplosionCount, 1);
    EXPECT_EQ(HeadOf(500).fuse, -2.0f);
    EXPECT_EQ(HeadOf(500).standing, 0);
    for (int step = 0; step < 5; ++step)
        EXPECT_TRUE(RecordFeedback([] { StepSimulation(TimeStep); }).lines.empty());
    EXPECT_EQ(ExplosionCount, 1);

    // A fraction counts down from its whole part; -1 and below are out.
    HeadOf(300).fuse = 1.5f;
    HeadOf(400).fuse = -1.0f;
    UpdateFuse(300);
    UpdateFuse(400);
    EXPECT_EQ(HeadOf(300).fuse, 0.5f);
    EXPECT_EQ(HeadOf(400).fuse, -1.0f);
    UpdateFuse(300);
    UpdateFuse(300);
    EXPECT_EQ(ExplosionCount, 2);
}

TEST_F(FuseRules, SamePersonLitTwiceExplodesOnceFromTheSecondLighting)
{
    ClickAt(HeadOf(500).pos);
    RunSteps(30);
    ClickAt(HeadOf(500).pos);
    EXPECT_EQ(HeadOf(500).fuse, 100.0f);
    EXPECT_EQ(FusewalkersLeft, 1);
    RunSteps(100);
    EXPECT_EQ(ExplosionCount, 0);
    RunSteps(1);
    EXPECT_EQ(ExplosionCount, 1);
    RunSteps(200);
    EXPECT_EQ(ExplosionCount, 1);
}

TEST_F(FuseRules, BlastThrowsAndKnocksDownStrictlyInsideHalfAUnit)
{
    KnockEveryoneDown();
    // The blast centre is 0.2 below the Fusewalker's head, behind the crowd.
    const Vec4 centre(0.0f, -0.3f - 0.2f, 0.875f);
    HeadOf(500).standing = 1;
    HeadOf(500).pos = Vec4(0.0f, -0.3f, 0.875f);
    HeadOf(500).fuse = 0.0f;
    const struct {
        Vec4 offset;
        bool knocked;
        Vec4 wantVel; // from (0.1, 0.2, 0.3)
    } heads[] = {
        {{0.4f, 0, 0}, true, {0.1f + 2.5f, 0.2f, 0.3f}},
        {{0, 0, -0.5f}, false, {0.1f, 0.2f, 0.3f}},
        {{-0.5f, 0, 0}, false, {0.1f, 0.2f, 0.3f}},
        {{0, 0, 0}, true, {0.1f, 0.2f, 0.3f}}, // on the centre: no direction, no NaN
        {{2e-5f, 0, 0}, true, {0.1f, 0.2f, 0.3f}}, // inside the length threshold
        {{1e-3f, 0, 0}, true, {0.1f + 1000.0f, 0.2f, 0.3f}},
    };
    for (int i = 0; i < 6; ++i) {
        Vec4 at = centre;
        at += heads[i].offset;
        HeadOf(100 + i) = Particle{at, Vec4(0.1f, 0.2f, 0.3f), 0, {}, 1, -2.0f};
    }
    UpdateFuse(500);
    EXPECT_EQ(ExplosionCount, 1);
    EXPECT_EQ(HeadOf(500).fuse, -2.0f);
    EXPECT_EQ(HeadOf(500).standing, 0);
    EXPECT_NEAR(HeadOf(500).vel.y, 5.0f, 1e-5f) << "the Fusewalker's own head goes up";
    for (int i = 0; i < 6; ++i) {
        const Particle& h = HeadOf(100 + i);
        EXPECT_EQ(h.standing, heads[i].knocked ? 0 : 1) << i;
        EXPECT_NEAR(h.vel.x, heads[i].wantVel.x, 1e-4f * heads[i].wantVel.x) << i;
        EXPECT_EQ(h.vel.y, 0.2f) << i;
        EXPECT_EQ(h.vel.z, 0.3f) << i;
    }
    EXPECT_EQ(PlayerScore, 5) << "every standing head knocked down, the Fusewalker's too";
}

TEST_F(FuseRules, FallenHeadsKnockDownHeadsWithinReachInOnePassInIndexOrder)
{
    Vec4 at = HeadOf(200).pos;
    HeadOf(900).standing = 0;
    HeadOf(900).pos = Vec4(at.x + 0.013f, at.y, at.z);
    Vec4 other = HeadOf(400).pos;
    HeadOf(901).standing = 0;
    HeadOf(901).pos = Vec4(other.x, other.y, other.z + 0.015f);
    SpreadFalls();
    EXPECT_EQ(HeadOf(200).standing, 0) << "0.013 away";
    EXPECT_EQ(HeadOf(400).standing, 1) << "0.015 away";
    EXPECT_EQ(Count(Standing), 997);
    EXPECT_EQ(PlayerScore, 0);

    // Three heads in a line 0.013 apart, behind the crowd. A head that falls
    // knocks on within the same pass only when the pass has yet to reach it.
    for (int fallen : {100, 300}) {
        StartRound();
        for (int p : {100, 200, 300})
            HeadOf(p).pos = Vec4(0.013f * float(p / 100 - 1), -0.5f, 0.95f);
        HeadOf(fallen).standing = 0;
        SpreadFalls();
        EXPECT_EQ(Count(Standing), fallen == 100 ? 997 : 998) << "first fallen " << fallen;
        SpreadFalls();
        EXPECT_EQ(Count(Standing), 997);
    }
}

TEST_F(FuseRules, FallenHeadsScoreTheWholePartOfEachImpactSpeed)
{
    const struct {
        int g;
        bool fallen;
        Vec4 pos, vel;
    } strikes[] = {
        {15 * 40, true, {0, -1, 0.9f}, {0, -0.99f, 0}},
        {15 * 41, true, {0.2f, -1, 0.9f}, {0, -2.5f, 0}},
        {15 * 42, true, {1.1f, -0.5f, 0.5f}, {3.2f, 0, 0}},
        {15 * 43 + Hand0, true, {1.1f, -0.5f, 0.5f}, {3.2f, 0, 0}}, // not a head
        {15 * 44, false, {-1.1f, -0.5f, 0.5f}, {-3.2f, 0, 0}}, // a standing head
    };
    for (const auto& s : strikes) {
        particles[s.g].pos = s.pos;
        particles[s.g].vel = s.vel;
        particles[s.g].standing = !s.fallen && s.g % 15 == 0;
    }
    CollideWithBox();
    EXPECT_EQ(PlayerScore, 0 + 2 + 3);
    EXPECT_FLOAT_EQ(particles[15 * 44].vel.x, 2.88f);
}

TEST_F(FuseRules, WholeRoundOfThreeBlastsKeepsTheCrowdSoundAndEnds)
{
    // Lit at different times, far apart: left front, middle, right back.
    const int lightAt[3] = {0, 40, 150}, person[3] = {70, 500, 930};
    int lit = 0, score = 0, endedAt = -1;
    for (int step = 1; step <= 1500 && endedAt < 0; ++step) {
        if (lit < 3 && step - 1 == lightAt[lit])
            ClickAt(HeadOf(person[lit++]).pos);
        RunSteps(1);
        for (int g = 0; g < ParticleCount; ++g) {
            const Particle& p = particles[g];
            bool sound = std::isfinite(p.vel.x) && std::isfinite(p.vel.y) && std::isfinite(p.vel.z) &&
                         p.pos.x >= -1.0f && p.pos.x <= 1.0f && p.pos.y >= -0.99f && p.pos.z >= 0.0f &&
                         p.pos.z <= 1.0f && (p.standing == 0 || g % 15 == 0);
            ASSERT_TRUE(sound) << "step " << step << " particle " << g;
        }
        ASSERT_GE(PlayerScore, score) << "step " << step;
        score = PlayerScore;
        if (RoundHasEnded())
            endedAt = step;
    }
    EXPECT_EQ(Count(Lit), 0);
    EXPECT_EQ(ExplosionCount, 3);
    EXPECT_GT(endedAt, 251) << "the last blast is in step 251";
    EXPECT_GT(PlayerScore, 100);
    EXPECT_GT(Count(Standing), 0);
    EXPECT_LT(Count(Standing), 900);
}
