#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "world/globals.h"
#include "sim/physics.h"
#include "tests/test_files.h"
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

    static void Place(int g, Vec4 pos, Vec4 vel = Vec4())
    {
        particles[g].pos = pos;
        particles[g].vel = vel;
    }

    static bool Finite(const Vec4& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

    TempWorkDir dir; // no ragdoll.rag: the shipped pose
};

void ExpectVec(const Vec4& got, const Vec4& want, const char* what, int row)
{
    EXPECT_TRUE(got.x == want.x && got.y == want.y && got.z == want.z)
        << what << " of row " << row << ": (" << got.x << ", " << got.y << ", " << got.z << ")";
}

} // namespace

TEST_F(PhysicsStep, FloorKeepsFortyPercentAndHalvesTheSlideThenWallsReflectNinety)
{
    const struct {
        Vec4 pos, vel, wantPos, wantVel;
    } rows[] = {
        {{0.2f, -1, 0.5f}, {1, -2, 1}, {0.2f, -0.99f, 0.5f}, {0.5f, 0.8f, 0.5f}},
        {{0.2f, -1, 0.5f}, {1, 0.3f, 1}, {0.2f, -0.99f, 0.5f}, {1, 0.3f, 1}}, // already rising
        {{0.3f, -0.99f, 0.5f}, {1, -1, 1}, {0.3f, -0.99f, 0.5f}, {1, -1, 1}}, // on the floor itself
        {{1.5f, -0.5f, 0.5f}, {2, 0.25f, -0.5f}, {1, -0.5f, 0.5f}, {-1.8f, 0.25f, -0.5f}},
        {{-1.2f, -0.5f, 0.5f}, {-1, 0, 0}, {-1, -0.5f, 0.5f}, {0.9f, 0, 0}},
        {{0, -0.5f, -0.1f}, {0, 0, -1}, {0, -0.5f, 0}, {0, 0, 0.9f}},
        {{0, -0.5f, 1.1f}, {0, 0, 2}, {0, -0.5f, 1}, {0, 0, -1.8f}},
        {{1.5f, -0.5f, 0.5f}, {-1, 0, 0}, {1, -0.5f, 0.5f}, {-1, 0, 0}}, // already coming back
        {{1.5f, -1.2f, 1.1f}, {2, -1, 2}, {1, -0.99f, 1}, {-0.9f, 0.4f, -0.9f}}, // floor first, then walls
    };
    const int first = 15 * 40 + 1; // body parts: no score
    for (int i = 0; i < int(std::size(rows)); ++i)
        Place(first + i, rows[i].pos, rows[i].vel);
    CollideWithBox();
    for (int i = 0; i < int(std::size(rows)); ++i) {
        ExpectVec(particles[first + i].pos, rows[i].wantPos, "position", i);
        ExpectVec(particles[first + i].vel, rows[i].wantVel, "velocity", i);
    }
    EXPECT_EQ(PlayerScore, 0);
}

TEST_F(PhysicsStep, EulerMovesWithTheOldVelocityThenAddsGravity)
{
    int hand = 15 * 40 + Hand1;
    Place(hand, Vec4(0.0f, 0.0f, 0.5f), Vec4(1.0f, 2.0f, 3.0f));
    MoveParticles(0.0031f);
    EXPECT_FLOAT_EQ(particles[hand].pos.x, 0.0031f);
    EXPECT_FLOAT_EQ(particles[hand].pos.y, 0.0062f);
    EXPECT_FLOAT_EQ(particles[hand].pos.z, 0.5093f);
    ExpectVec(particles[hand].vel, Vec4(1.0f, 2.0f - 9.8f * 0.0031f, 3.0f), "velocity", 0);
}

TEST_F(PhysicsStep, OneRelaxationPutsLinkedPairsAtRestLength)
{
    for (Particle& p : particles)
        p.linkCount = 0;
    auto link = [](int g, int target) { particles[g].links[particles[g].linkCount++] = {target, 0.01f}; };
    // Pairs of body parts along x, 0.01 apart at rest: stretched by 0.002 (a
    // one-way link and one stored at both ends, which then finds nothing left
    // to do), on one point, closer than the length threshold, just above it.
    const struct {
        float a, b;
        bool twin;
        float wantA, wantB, wantVelA;
    } pairs[] = {{0.1f, 0.112f, false, 0.101f, 0.111f, 0.08f},
                 {0.2f, 0.212f, true, 0.201f, 0.211f, 0.08f},
                 {0.3f, 0.3f, true, 0.3f, 0.3f, 0.0f},
                 {0.4f, 0.4f + 2e-5f, false, 0.4f, 0.4f + 2e-5f, 0.0f},
                 {0.5f, 0.5f + 4e-5f, false, 0.49502f, 0.50502f, -0.3984f}};
    for (int i = 0; i < 5; ++i) {
        int a = 15 * 41 + 1 + 2 * i;
        Place(a, Vec4(pairs[i].a, -0.5f, 0.5f));
        Place(a + 1, Vec4(pairs[i].b, -0.5f, 0.5f));
        link(a, a + 1);
        if (pairs[i].twin)
            link(a + 1, a);
    }
    // A standing head holds its neck and is not moved: the neck alone moves,
    // by half the stretch.
    int head = 15 * 42;
    link(head, head + 1); // skipped while the head stands
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
        EXPECT_TRUE(a.pos.y == -0.5f && a.vel.y == 0.0f && Finite(a.vel) && Finite(b.vel)) << i;
    }
    ExpectVec(particles[head].pos, Vec4(0.3f, -0.5f, 0.5f), "head", 0);
    EXPECT_NEAR(particles[head + 1].pos.y, -0.511f, 1e-6f);
    EXPECT_NEAR(particles[head + 1].vel.y, 0.08f, 1e-5f);
}

TEST_F(PhysicsStep, StandingHeadsOnlySwayAndStayWithinTwoHundredths)
{
    std::vector<Particle> before(particles, particles + ParticleCount);
    StepSimulation(TimeStep);
    for (int g = 0; g < ParticleCount; g += 15) {
        const Particle& now = particles[g];
        ASSERT_EQ(now.standing, 1);
        EXPECT_EQ(now.pos.y, before[size_t(g)].pos.y);
        EXPECT_TRUE(now.vel.x == 0.0f && now.vel.y == 0.0f && now.vel.z == 0.0f) << g;
        // The phase 10 g + clock is worked in double: single precision
        // would be off by up to 0.008 at the last heads.
        EXPECT_NEAR(now.pos.x - before[size_t(g)].pos.x, 0.001 * std::sin(double(10 * g)), 1.2e-7) << g;
    }
    EXPECT_LT(particles[15 * 500 + Foot0].vel.y, 0.0f) << "bodies hang and fall";

    FrameClock = 1234.5f;
    int g = 15 * 999;
    float x = particles[g].pos.x;
    MoveParticles(TimeStep);
    EXPECT_NEAR(particles[g].pos.x - x, 0.001 * std::sin(149850.0 + 1234.5), 1.2e-7);

    g = 15 * 500;
    float x0 = particles[g].pos.x, widest = 0.0f, back = 1.0f;
    for (int step = 1; step <= 200; ++step) {
        MoveParticles(TimeStep);
        FrameClock += 0.1f;
        widest = std::max(widest, std::fabs(particles[g].pos.x - x0));
        if (step >= 60 && step <= 66)
            back = std::min(back, std::fabs(particles[g].pos.x - x0));
    }
    EXPECT_LE(widest, 0.0201f);
    EXPECT_GT(widest, 0.005f);
    EXPECT_LT(back, 0.0005f) << "close to the start about every 63 steps";
}

TEST_F(PhysicsStep, HipsSwapPositionAndVelocityWhenTheyFaceTheShouldersWay)
{
    // Shoulder line +x; hip 1 placed off hip 0 by delta; swapped when the
    // dot product is positive, standing or fallen.
    const struct {
        Vec4 delta;
        bool fallen, swapped;
    } people[] = {{{0.05f, 0, 0}, false, true}, {{0.05f, 0, 0}, true, true}, {{0, 0.05f, 0}, false, false},
                  {{-0.05f, 0, 0}, false, false}};
    for (int i = 0; i < 4; ++i) {
        int b = 15 * (40 + i);
        particles[b].standing = !people[i].fallen;
        Place(b + Shoulder1, Vec4(0.1f, -0.5f, 0.5f));
        Place(b + Shoulder0, Vec4(0.0f, -0.5f, 0.5f));
        Vec4 hip1(0.0f, -0.6f, 0.5f);
        hip1 += people[i].delta;
        Place(b + Hip1, hip1, Vec4(1, 2, 3));
        Place(b + Hip0, Vec4(0.0f, -0.6f, 0.5f), Vec4(4, 5, 6));
    }
    MoveParticles(0.0f); // no time passes: only the exchange shows
    for (int i = 0; i < 4; ++i) {
        const Particle* p = particles + 15 * (40 + i);
        const Particle& hip1 = p[people[i].swapped ? Hip0 : Hip1];
        Vec4 want(0.0f, -0.6f, 0.5f);
        want += people[i].delta;
        EXPECT_NEAR(hip1.pos.x, want.x, 1e-7f) << i;
        EXPECT_NEAR(hip1.pos.y, want.y, 1e-7f) << i;
        EXPECT_EQ(hip1.vel.x, 1.0f) << i;
        EXPECT_EQ(p[Hip1].links[2].target, 15 * (40 + i) + Knee1) << "links stay";
    }
}

TEST_F(PhysicsStep, CollapsedAndHugePosesStayFiniteAndInTheBox)
{
    // All zeros put every role on the pelvis, so every link has length 0;
    // coordinates of 1000 are still taken, and throw people about hard.
    std::vector<float> zero(ParticlesPerPerson * 4, 0.0f), huge = zero;
    for (int k = 0; k < ParticlesPerPerson; ++k) {
        huge[4 * k] = (k % 2) ? 1000.0f : -1000.0f;
        huge[4 * k + 1] = (k % 3) ? -1000.0f : 1000.0f;
        huge[4 * k + 2] = (k % 5) ? 500.0f : -1000.0f;
    }
    for (const std::vector<float>* pose : {&zero, &huge}) {
        Bytes bytes(RagdollFileBytes);
        std::memcpy(bytes.data(), pose->data(), bytes.size());
        WriteFile("ragdoll.rag", bytes);
        ResetRound();
        ASSERT_EQ(RagdollTemplate[1].x, (*pose)[4]);
        ExplosionCount = 0;
        particles[15 * 500].standing = 0;
        particles[15 * 500].fuse = 0.0f; // goes off in the first step
        for (int i = 0; i < 150; ++i) {
            StepSimulation(TimeStep);
            FrameClock += 0.1f;
        }
        EXPECT_EQ(ExplosionCount, 1);
        for (const Particle& p : particles) {
            ASSERT_TRUE(Finite(p.pos) && Finite(p.vel));
            ASSERT_TRUE(p.pos.x >= -1.0f && p.pos.x <= 1.0f && p.pos.y >= -0.99f && p.pos.z >= 0.0f && p.pos.z <= 1.0f);
        }
    }
}
