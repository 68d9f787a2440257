#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "world/globals.h"
#include "render/font.h"
#include "sim/physics.h"
#include "tests/test_files.h"
#include "world/particles.h"
#include "world/ragdoll_file.h"
#include "world/round.h"

namespace {

class CrowdPlacement : public ::testing::Test {
protected:
    void SetUp() override { ResetRound(); }
    TempWorkDir dir; // no ragdoll.rag: the shipped pose
};

} // namespace

TEST_F(CrowdPlacement, PeopleHangFromPelvisesOnTheParticleGrid)
{
    // Single precision throughout: (g mod 1000) x 0.002f - 1 lands one float
    // step off the float nearest the decimal for some people.
    const struct {
        int person;
        float x, z;
    } pelvises[] = {{0, -0.984f, 0.0f},
                    {66, 0x1.fdf3b8p-1f, 0.0f}, // 0.99600005, one step above 0.996f
                    {67, -0x1.f2b02p-1f, 1.0f / 18.0f}, // the next row starts at particle 1000
                    {999, 0x1.f8d5p-1f, 7.0f / 9.0f}}; // 0.98600006
    for (const auto& p : pelvises) {
        const Particle* person = particles + p.person * ParticlesPerPerson;
        EXPECT_EQ(person[Pelvis].pos.x, p.x) << p.person;
        EXPECT_EQ(person[Pelvis].pos.y, -0.9f) << p.person;
        EXPECT_EQ(person[Pelvis].pos.z, p.z) << p.person;
        for (int k = 0; k < ParticlesPerPerson; ++k) {
            SCOPED_TRACE(testing::Message() << "person " << p.person << " role " << k);
            EXPECT_NEAR(person[k].pos.x, p.x + ShippedPose[k].x * 0.32777777f, 1e-6f);
            EXPECT_NEAR(person[k].pos.y, -0.9f + ShippedPose[k].y * 0.32777777f, 1e-6f);
            EXPECT_NEAR(person[k].pos.z, p.z + ShippedPose[k].z * 0.32777777f, 1e-6f);
        }
    }
}

TEST_F(CrowdPlacement, EveryPersonGetsTheSameSkeletonAtRest)
{
    // Rest lengths are base lengths times 0.59, rounded in single precision:
    // 0.02 x 0.59 is one step below the float nearest 0.0118.
    std::set<float> products;
    for (float base : {0.005f, 0.0225f, 0.04f, 0.036f, 0.02f, 0.015f, 0.018f, 0.03f, 0.025f})
        products.insert(base * 0.59f);
    EXPECT_EQ(particles[Shoulder1].links[3].restLength, std::nextafter(0.0118f, 0.0f));

    for (int g = 0; g < ParticleCount; ++g) {
        const Particle& p = particles[g];
        const Particle& model = particles[g % ParticlesPerPerson];
        int first = g - g % ParticlesPerPerson;
        ASSERT_EQ(p.standing, g == first ? 1 : 0) << g;
        ASSERT_EQ(p.fuse, -2.0f) << g;
        ASSERT_TRUE(p.vel.x == 0.0f && p.vel.y == 0.0f && p.vel.z == 0.0f) << g;
        ASSERT_EQ(p.linkCount, model.linkCount) << g;
        for (int j = 0; j < p.linkCount; ++j) {
            const ParticleLink& l = p.links[j];
            ASSERT_EQ(l.target - first, model.links[j].target) << g;
            ASSERT_EQ(l.restLength, model.links[j].restLength) << g;
            ASSERT_TRUE(l.target >= first && l.target < first + ParticlesPerPerson && l.target != g) << g;
            ASSERT_EQ(products.count(l.restLength), 1u) << g << " link " << j;
            // Every link has its twin at the other end, of the same length but
            // for the thigh: the knee pulls towards 0.0177, the hip 0.01475.
            const Particle& other = particles[l.target];
            const ParticleLink* back = std::find_if(other.links, other.links + other.linkCount,
                                                    [g](const ParticleLink& b) { return b.target == g; });
            ASSERT_NE(back, other.links + other.linkCount) << g << " -> " << l.target;
            int a = std::min(g, l.target) % ParticlesPerPerson, b = std::max(g, l.target) % ParticlesPerPerson;
            bool thigh = (a == Hip1 && b == Knee1) || (a == Hip0 && b == Knee0);
            ASSERT_EQ(back->restLength == l.restLength, !thigh) << g << " -> " << l.target;
        }
    }
    EXPECT_FLOAT_EQ(particles[Knee1].links[0].restLength, 0.0177f);
}

TEST_F(CrowdPlacement, ResetRebuildsTheSameCrowdBitForBit)
{
    std::vector<Particle> first(particles, particles + ParticleCount);
    particles[15 * 300].fuse = 0.0f;
    particles[15 * 301].standing = 0;
    for (int i = 0; i < 20; ++i)
        StepSimulation(TimeStep);
    CurrentState = Score;
    PlayerScore = 57;
    std::memset(DigitGlyphs, 0, sizeof DigitGlyphs);
    ASSERT_NE(0, std::memcmp(first.data(), particles, sizeof particles));

    ResetRound();
    EXPECT_EQ(0, std::memcmp(first.data(), particles, sizeof particles));
    EXPECT_EQ(CurrentState, Title);
    EXPECT_EQ(PlayerScore, 0);
    EXPECT_EQ(DigitGlyphs[8], 127) << "the font tables are filled again";
}
