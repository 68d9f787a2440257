#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "game/globals.h"
#include "sim/physics.h"
#include "tests/temp_work_dir.h"
#include "world/particles.h"
#include "world/ragdoll_file.h"
#include "world/round.h"

namespace {

class PhysicsStep : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetRound();
        FrameClock = 0.0f;
        PlayerScore = 0;
        ExplosionCount = 0;
    }

    // Leaves only the links that a test puts back.
    static void CutAllLinks()
    {
        for (Particle& p : particles)
            p.linkCount = 0;
    }

    static void Place(int g, Vec4 pos, Vec4 vel)
    {
        particles[g].pos = pos;
        particles[g].vel = vel;
    }

    static void Link(int g, int target, float rest)
    {
        Particle& p = particles[g];
        p.links[p.linkCount].target = target;
        p.links[p.linkCount].restLength = rest;
        ++p.linkCount;
    }

    static bool Finite(const Vec4& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

    TempWorkDir dir; // no ragdoll.rag: the shipped pose
};

} // namespace

TEST_F(PhysicsStep, FloorBounceKeepsFortyPercentAndHalvesTheSlide)
{
    Place(1, Vec4(0.2f, -1.0f, 0.5f), Vec4(1.0f, -2.0f, 1.0f)); // a neck
    CollideWithBox();
    EXPECT_EQ(particles[1].pos.y, -0.99f);
    EXPECT_EQ(particles[1].pos.x, 0.2f);
    EXPECT_EQ(particles[1].pos.z, 0.5f);
    EXPECT_EQ(particles[1].vel.x, 0.5f);
    EXPECT_EQ(particles[1].vel.y, 0.8f);
    EXPECT_EQ(particles[1].vel.z, 0.5f);
    EXPECT_EQ(PlayerScore, 0);
}

TEST_F(PhysicsStep, FloorOnlyLiftsWhatAlreadyRisesAndSparesTheFloorItself)
{
    Place(16, Vec4(0.2f, -1.0f, 0.5f), Vec4(1.0f, 0.3f, 1.0f));
    Place(17, Vec4(0.3f, -0.99f, 0.5f), Vec4(1.0f, -1.0f, 1.0f));
    CollideWithBox();
    EXPECT_EQ(particles[16].pos.y, -0.99f);
    EXPECT_EQ(particles[16].vel.x, 1.0f);
    EXPECT_EQ(particles[16].vel.y, 0.3f);
    EXPECT_EQ(particles[16].vel.z, 1.0f);
    EXPECT_EQ(particles[17].pos.y, -0.99f);
    EXPECT_EQ(particles[17].vel.y, -1.0f);
    EXPECT_EQ(particles[17].vel.x, 1.0f);
}

TEST_F(PhysicsStep, WallsReflectNinetyPercentOfTheNormalSpeed)
{
    Place(31, Vec4(1.5f, -0.5f, 0.5f), Vec4(2.0f, 0.25f, -0.5f));
    Place(32, Vec4(-1.2f, -0.5f, 0.5f), Vec4(-1.0f, 0.0f, 0.0f));
    Place(33, Vec4(0.0f, -0.5f, -0.1f), Vec4(0.0f, 0.0f, -1.0f));
    Place(34, Vec4(0.0f, -0.5f, 1.1f), Vec4(0.0f, 0.0f, 2.0f));
    Place(35, Vec4(1.5f, -0.5f, 0.5f), Vec4(-1.0f, 0.0f, 0.0f)); // already coming back
    CollideWithBox();
    EXPECT_EQ(particles[31].pos.x, 1.0f);
    EXPECT_EQ(particles[31].vel.x, -1.8f);
    EXPECT_EQ(particles[31].vel.y, 0.25f);
    EXPECT_EQ(particles[31].vel.z, -0.5f);
    EXPECT_EQ(particles[32].pos.x, -1.0f);
    EXPECT_EQ(particles[32].vel.x, 0.9f);
    EXPECT_EQ(particles[33].pos.z, 0.0f);
    EXPECT_EQ(particles[33].vel.z, 0.9f);
    EXPECT_EQ(particles[34].pos.z, 1.0f);
    EXPECT_EQ(particles[34].vel.z, -1.8f);
    EXPECT_EQ(particles[35].pos.x, 1.0f);
    EXPECT_EQ(particles[35].vel.x, -1.0f);
}

TEST_F(PhysicsStep, CornerTestsRunInTurnOnEachOthersResults)
{
    Place(36, Vec4(1.5f, -1.2f, 1.1f), Vec4(2.0f, -1.0f, 2.0f));
    CollideWithBox();
    const Particle& p = particles[36];
    EXPECT_EQ(p.pos.x, 1.0f);
    EXPECT_EQ(p.pos.y, -0.99f);
    EXPECT_EQ(p.pos.z, 1.0f);
    // Floor first halves x and z, then the walls reflect the halved speeds.
    EXPECT_EQ(p.vel.x, -0.9f);
    EXPECT_EQ(p.vel.y, 0.4f);
    EXPECT_EQ(p.vel.z, -0.9f);
}

TEST_F(PhysicsStep, OnlyAFallenHeadScoresItsImpact)
{
    int head = 15 * 40;
    particles[head].standing = 0;
    Place(head, Vec4(0.0f, -1.0f, 0.5f), Vec4(0.0f, -3.7f, 0.0f));
    Place(head + Hand1, Vec4(0.1f, -1.0f, 0.5f), Vec4(0.0f, -3.7f, 0.0f));
    CollideWithBox();
    EXPECT_EQ(PlayerScore, 3);
    EXPECT_FLOAT_EQ(particles[head].vel.y, 1.48f);
    EXPECT_FLOAT_EQ(particles[head + Hand1].vel.y, 1.48f);
}

TEST_F(PhysicsStep, EulerMovesWithTheOldVelocityThenAddsGravity)
{
    int hand = 15 * 40 + Hand1;
    Place(hand, Vec4(0.0f, 0.0f, 0.5f), Vec4(1.0f, 2.0f, 3.0f));
    MoveParticles(0.0031f);
    EXPECT_FLOAT_EQ(particles[hand].pos.x, 0.0031f);
    EXPECT_FLOAT_EQ(particles[hand].pos.y, 0.0062f);
    EXPECT_FLOAT_EQ(particles[hand].pos.z, 0.5093f);
    EXPECT_FLOAT_EQ(particles[hand].vel.y, 2.0f - 9.8f * 0.0031f);
    EXPECT_EQ(particles[hand].vel.x, 1.0f);
    EXPECT_EQ(particles[hand].vel.z, 3.0f);
}

TEST_F(PhysicsStep, OneRelaxationPutsAFreePairAtRestLength)
{
    CutAllLinks();
    Place(1, Vec4(0.1f, -0.5f, 0.5f), Vec4());
    Place(2, Vec4(0.112f, -0.5f, 0.5f), Vec4());
    Link(1, 2, 0.01f);
    RelaxLinks();
    const Particle& a = particles[1];
    const Particle& b = particles[2];
    EXPECT_NEAR(b.pos.x - a.pos.x, 0.01f, 1e-6f);
    EXPECT_NEAR(a.pos.x, 0.101f, 1e-6f);
    EXPECT_NEAR(b.pos.x, 0.111f, 1e-6f);
    EXPECT_NEAR(a.vel.x, 0.08f, 1e-5f);
    EXPECT_NEAR(b.vel.x, -0.08f, 1e-5f);
    EXPECT_EQ(a.pos.y, -0.5f);
    EXPECT_EQ(a.vel.y, 0.0f);

    // The copy stored at the other end then finds nothing left to do.
    Place(3, Vec4(0.2f, -0.5f, 0.5f), Vec4());
    Place(4, Vec4(0.2f, -0.488f, 0.5f), Vec4());
    Link(3, 4, 0.01f);
    Link(4, 3, 0.01f);
    RelaxLinks();
    EXPECT_NEAR(particles[4].pos.y - particles[3].pos.y, 0.01f, 1e-6f);
    EXPECT_NEAR(particles[3].vel.y, 0.08f, 1e-5f);
    EXPECT_NEAR(particles[4].vel.y, -0.08f, 1e-5f);
}

TEST_F(PhysicsStep, StandingHeadHoldsItsNeckAndIsNotMoved)
{
    CutAllLinks();
    particles[0].linkCount = 1; // head -> neck: skipped while the head stands
    particles[1].linkCount = 1; // neck -> head
    Vec4 head(0.3f, -0.5f, 0.5f);
    Place(0, head, Vec4());
    Place(1, Vec4(0.3f, -0.5f - 0.00495f, 0.5f), Vec4());
    RelaxLinks();
    EXPECT_EQ(particles[0].pos.x, head.x);
    EXPECT_EQ(particles[0].pos.y, head.y);
    EXPECT_EQ(particles[0].vel.y, 0.0f);
    // Stretched by 0.002: the neck alone moves, by half of it.
    EXPECT_NEAR(particles[1].pos.y, -0.5f - 0.00395f, 1e-6f);
    EXPECT_NEAR(particles[1].vel.y, 0.08f, 1e-5f);
}

TEST_F(PhysicsStep, CoincidentEndsOfALinkStayFinite)
{
    CutAllLinks();
    Place(1, Vec4(0.1f, -0.5f, 0.5f), Vec4(0.5f, 0.0f, 0.0f));
    Place(2, Vec4(0.1f, -0.5f, 0.5f), Vec4());
    Link(1, 2, 0.01f);
    Link(2, 1, 0.01f);
    // Closer than the length threshold: also no direction.
    Place(3, Vec4(0.3f, -0.5f, 0.5f), Vec4());
    Place(4, Vec4(0.3f + 2e-5f, -0.5f, 0.5f), Vec4());
    Link(3, 4, 0.01f);
    // Just above the threshold: pushed apart to rest length.
    Place(5, Vec4(0.5f, -0.5f, 0.5f), Vec4());
    Place(6, Vec4(0.5f + 4e-5f, -0.5f, 0.5f), Vec4());
    Link(5, 6, 0.01f);
    RelaxLinks();
    for (int g = 1; g <= 6; ++g) {
        EXPECT_TRUE(Finite(particles[g].pos)) << g;
        EXPECT_TRUE(Finite(particles[g].vel)) << g;
    }
    EXPECT_EQ(particles[1].pos.x, 0.1f);
    EXPECT_EQ(particles[1].vel.x, 0.5f);
    EXPECT_EQ(particles[2].vel.x, 0.0f);
    EXPECT_EQ(particles[3].pos.x, 0.3f);
    EXPECT_NEAR(particles[6].pos.x - particles[5].pos.x, 0.01f, 1e-6f);
}

TEST_F(PhysicsStep, StandingHeadsOnlySway)
{
    std::vector<Particle> before(particles, particles + ParticleCount);
    StepSimulation(TimeStep);
    int swayed = 0;
    for (int g = 0; g < ParticleCount; g += 15) {
        const Particle& now = particles[g];
        const Particle& was = before[g];
        ASSERT_EQ(now.standing, 1);
        EXPECT_EQ(now.pos.y, was.pos.y);
        if (was.pos.z >= 0.0f) { // row 0's heads lean over the front wall and are clamped
            EXPECT_EQ(now.pos.z, was.pos.z);
        }
        EXPECT_EQ(now.vel.x, 0.0f);
        EXPECT_EQ(now.vel.y, 0.0f);
        EXPECT_EQ(now.vel.z, 0.0f);
        float dx = now.pos.x - was.pos.x;
        EXPECT_LE(std::fabs(dx), 0.00100001f) << g;
        swayed += dx != 0.0f;
        // The phase 10 g + clock is worked in double: single precision
        // would be off by up to 0.008 at the last heads.
        EXPECT_NEAR(dx, 0.001 * std::sin(double(10 * g)), 1.2e-7) << g;
    }
    EXPECT_GT(swayed, 990);
    // Bodies hang and fall: the feet of person 500 dropped a little.
    EXPECT_LT(particles[15 * 500 + Foot0].vel.y, 0.0f);
}

TEST_F(PhysicsStep, SwayAtALateClockUsesDoublePrecision)
{
    FrameClock = 1234.5f;
    int g = 15 * 999;
    float x = particles[g].pos.x;
    MoveParticles(TimeStep);
    EXPECT_NEAR(particles[g].pos.x - x, 0.001 * std::sin(149850.0 + double(FrameClock)), 1.2e-7);
}

TEST_F(PhysicsStep, SwayStaysWithinTwoHundredthsAndComesBack)
{
    int g = 15 * 500;
    float x0 = particles[g].pos.x;
    float widest = 0.0f;
    float back = 1.0f;
    for (int step = 1; step <= 200; ++step) {
        MoveParticles(TimeStep);
        FrameClock += 0.1f;
        float off = std::fabs(particles[g].pos.x - x0);
        widest = std::max(widest, off);
        if (step >= 60 && step <= 66)
            back = std::min(back, off);
    }
    EXPECT_LE(widest, 0.0201f);
    EXPECT_GT(widest, 0.005f); // it does sway
    EXPECT_LT(back, 0.0005f); // close to the start about every 63 steps
}

TEST_F(PhysicsStep, HipsSwapWhenTheyFaceTheWrongWay)
{
    auto pose = [](int person, Vec4 hipDelta) {
        int b = 15 * person;
        Place(b + Shoulder1, Vec4(0.1f, -0.5f, 0.5f), Vec4());
        Place(b + Shoulder0, Vec4(0.0f, -0.5f, 0.5f), Vec4());
        Vec4 hip1(0.0f, -0.6f, 0.5f);
        hip1 += hipDelta;
        Place(b + Hip1, hip1, Vec4(1.0f, 2.0f, 3.0f));
        Place(b + Hip0, Vec4(0.0f, -0.6f, 0.5f), Vec4(4.0f, 5.0f, 6.0f));
    };
    pose(40, Vec4(0.05f, 0.0f, 0.0f)); // dot > 0, standing
    pose(41, Vec4(0.05f, 0.0f, 0.0f)); // dot > 0, fallen
    particles[15 * 41].standing = 0;
    pose(42, Vec4(0.0f, 0.05f, 0.0f)); // dot = 0
    pose(43, Vec4(-0.05f, 0.0f, 0.0f)); // dot < 0
    MoveParticles(0.0f); // no time passes: only the exchange shows

    for (int person : {40, 41}) {
        const Particle* p = particles + 15 * person;
        EXPECT_EQ(p[Hip1].pos.x, 0.0f) << person;
        EXPECT_EQ(p[Hip0].pos.x, 0.05f) << person;
        EXPECT_EQ(p[Hip1].vel.x, 4.0f) << person;
        EXPECT_EQ(p[Hip1].vel.y, 5.0f) << person;
        EXPECT_EQ(p[Hip0].vel.z, 3.0f) << person;
        // Links are not exchanged.
        EXPECT_EQ(p[Hip1].links[2].target, 15 * person + Knee1);
    }
    EXPECT_FLOAT_EQ(particles[15 * 42 + Hip1].pos.y, -0.55f);
    EXPECT_EQ(particles[15 * 42 + Hip1].vel.x, 1.0f);
    EXPECT_EQ(particles[15 * 43 + Hip1].pos.x, -0.05f);
    EXPECT_EQ(particles[15 * 43 + Hip0].vel.x, 4.0f);
}

TEST_F(PhysicsStep, CrowdOfCollapsedPeopleStaysFinite)
{
    // An all-zero pose puts every role of a person on its pelvis.
    std::vector<unsigned char> zeros(RagdollFileBytes, 0);
    TempWorkDir::WriteFile("ragdoll.rag", zeros.data(), zeros.size());
    ResetRound();
    particles[15 * 500].standing = 0;
    particles[15 * 500].fuse = 0.0f; // goes off in the first step
    for (int i = 0; i < 120; ++i) {
        StepSimulation(TimeStep);
        FrameClock += 0.1f;
    }
    EXPECT_EQ(ExplosionCount, 1);
    int fallen = 0;
    for (const Particle& p : particles) {
        ASSERT_TRUE(Finite(p.pos));
        ASSERT_TRUE(Finite(p.vel));
    }
    for (int g = 0; g < ParticleCount; g += 15)
        fallen += particles[g].standing == 0;
    EXPECT_GT(fallen, 10);
}

TEST_F(PhysicsStep, CrowdFromTheWidestAcceptedPoseStaysInTheBox)
{
    // Coordinates of 1000 are still taken: people start hundreds of units
    // outside the box with links stretched as far, and are thrown about hard.
    std::vector<float> pose(ParticlesPerPerson * 4, 0.0f);
    for (int k = 0; k < ParticlesPerPerson; ++k) {
        pose[4 * k] = (k % 2) ? 1000.0f : -1000.0f;
        pose[4 * k + 1] = (k % 3) ? -1000.0f : 1000.0f;
        pose[4 * k + 2] = (k % 5) ? 500.0f : -1000.0f;
    }
    TempWorkDir::WriteFile("ragdoll.rag", pose.data(), pose.size() * sizeof(float));
    ResetRound();
    ASSERT_EQ(RagdollTemplate[1].x, 1000.0f);
    particles[15 * 500].standing = 0;
    particles[15 * 500].fuse = 0.0f;
    for (int i = 0; i < 150; ++i) {
        StepSimulation(TimeStep);
        FrameClock += 0.1f;
    }
    for (const Particle& p : particles) {
        ASSERT_TRUE(Finite(p.pos));
        ASSERT_TRUE(Finite(p.vel));
        ASSERT_TRUE(p.pos.x >= -1.0f && p.pos.x <= 1.0f && p.pos.y >= -0.99f && p.pos.z >= 0.0f && p.pos.z <= 1.0f);
    }
    EXPECT_GE(PlayerScore, 0);
}
