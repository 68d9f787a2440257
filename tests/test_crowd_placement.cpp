#include <cmath>
#include <cstring>
#include <iterator>
#include <map>
#include <vector>

#include <gtest/gtest.h>

#include "game/globals.h"
#include "render/font.h"
#include "sim/physics.h"
#include "tests/temp_work_dir.h"
#include "world/particles.h"
#include "world/ragdoll_file.h"
#include "world/round.h"

namespace {

const Vec4& PelvisOf(int person) { return particles[person * ParticlesPerPerson + Pelvis].pos; }

std::vector<unsigned char> ParticleBytes()
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(particles);
    return std::vector<unsigned char>(p, p + sizeof particles);
}

// The skeleton every person gets: target role and base length of each link
// in slot order. Rest lengths are these times the body scale 0.59.
struct Bone {
    int target;
    float base;
};
const std::vector<std::vector<Bone>> Bones = {
    {{1, 0.005f}},
    {{0, 0.005f}, {2, 0.0225f}, {3, 0.0225f}, {8, 0.04f}},
    {{1, 0.0225f}, {3, 0.04f}, {8, 0.036f}, {4, 0.02f}},
    {{1, 0.0225f}, {2, 0.04f}, {8, 0.036f}, {6, 0.02f}},
    {{2, 0.02f}, {5, 0.015f}},
    {{4, 0.015f}},
    {{3, 0.02f}, {7, 0.015f}},
    {{6, 0.015f}},
    {{1, 0.04f}, {3, 0.036f}, {2, 0.036f}, {9, 0.018f}, {10, 0.018f}},
    {{8, 0.018f}, {10, 0.03f}, {11, 0.025f}},
    {{8, 0.018f}, {9, 0.03f}, {13, 0.025f}},
    {{9, 0.03f}, {12, 0.02f}},
    {{11, 0.02f}},
    {{10, 0.03f}, {14, 0.02f}},
    {{13, 0.02f}},
};

class CrowdPlacement : public ::testing::Test {
protected:
    TempWorkDir dir; // no ragdoll.rag: the shipped pose
};

} // namespace

TEST_F(CrowdPlacement, PelvisesSitOnTheParticleGrid)
{
    ResetRound();
    // Single precision throughout: (g mod 1000) x 0.002f - 1 lands one float
    // step away from the nearest float to the decimal for some people.
    EXPECT_EQ(PelvisOf(0).x, -0.984f);
    EXPECT_EQ(PelvisOf(0).y, -0.9f);
    EXPECT_EQ(PelvisOf(0).z, 0.0f);
    EXPECT_EQ(PelvisOf(66).x, 0x1.fdf3b8p-1f); // 0.99600005, one step above 0.996f
    EXPECT_EQ(PelvisOf(66).z, 0.0f);
    EXPECT_EQ(PelvisOf(67).x, -0x1.f2b02p-1f); // -0.97399998
    EXPECT_EQ(PelvisOf(67).z, 1.0f / 18.0f);
    EXPECT_EQ(PelvisOf(999).x, 0x1.f8d5p-1f); // 0.98600006, one step above 0.986f
    EXPECT_EQ(PelvisOf(999).y, -0.9f);
    EXPECT_EQ(PelvisOf(999).z, 7.0f / 9.0f);
    for (int p : {66, 67, 999})
        EXPECT_NEAR(PelvisOf(p).x, p == 66 ? 0.996f : p == 67 ? -0.974f : 0.986f, 6e-8f) << p;
}

TEST_F(CrowdPlacement, FifteenStaggeredRows)
{
    ResetRound();
    struct Row {
        int count = 0;
        float firstX = 0, lastX = 0;
        int firstPerson = -1;
    };
    std::map<float, Row> rows;
    for (int p = 0; p < PeopleCount; ++p) {
        Row& row = rows[PelvisOf(p).z];
        if (row.count == 0) {
            row.firstX = PelvisOf(p).x;
            row.firstPerson = p;
        } else {
            EXPECT_NEAR(PelvisOf(p).x - row.lastX, 0.03f, 1e-6f) << p;
        }
        row.lastX = PelvisOf(p).x;
        ++row.count;
    }
    ASSERT_EQ(rows.size(), 15u);
    const float firstX[3] = {-0.984f, -0.974f, -0.994f};
    const float lastX[3] = {0.996f, 0.976f, 0.986f};
    const int count[3] = {67, 66, 67};
    int r = 0;
    for (const auto& [z, row] : rows) {
        SCOPED_TRACE(r);
        EXPECT_NEAR(z, float(r) / 18.0f, 1e-6f);
        EXPECT_EQ(row.count, count[r % 3]);
        EXPECT_NEAR(row.firstX, firstX[r % 3], 1e-6f);
        EXPECT_NEAR(row.lastX, lastX[r % 3], 1e-6f);
        ++r;
    }
    EXPECT_EQ(rows.begin()->second.firstPerson, 0);
    EXPECT_EQ(std::next(rows.begin())->second.firstPerson, 67);
    EXPECT_EQ(rows.rbegin()->second.firstPerson, 933);
}

TEST_F(CrowdPlacement, BodyHangsFromThePelvisInTheShippedPose)
{
    ResetRound();
    for (int p : {0, 500, 999}) {
        for (int k = 0; k < ParticlesPerPerson; ++k) {
            if (k == Pelvis)
                continue;
            const Vec4& at = particles[p * ParticlesPerPerson + k].pos;
            EXPECT_NEAR(at.x - PelvisOf(p).x, ShippedPose[k].x * 0.32777777f, 1e-6f) << p << " " << k;
            EXPECT_NEAR(at.y - PelvisOf(p).y, ShippedPose[k].y * 0.32777777f, 1e-6f) << p << " " << k;
            EXPECT_NEAR(at.z - PelvisOf(p).z, ShippedPose[k].z * 0.32777777f, 1e-6f) << p << " " << k;
        }
    }
    // The head is up, about 0.08 x 0.33 above the pelvis.
    EXPECT_NEAR(particles[0].pos.y, -0.9f + 0.0263f, 1e-3f);
}

TEST_F(CrowdPlacement, SkeletonLinksAndRestLengths)
{
    ResetRound();
    for (int p = 0; p < PeopleCount; ++p) {
        for (int k = 0; k < ParticlesPerPerson; ++k) {
            const Particle& particle = particles[p * ParticlesPerPerson + k];
            ASSERT_EQ(particle.linkCount, int(Bones[k].size())) << p << " " << k;
            for (int j = 0; j < particle.linkCount; ++j) {
                volatile float base = Bones[k][j].base;
                float rest = base * 0.59f; // formed in single precision
                ASSERT_EQ(particle.links[j].target, p * ParticlesPerPerson + Bones[k][j].target) << p << " " << k;
                ASSERT_EQ(particle.links[j].restLength, rest) << p << " " << k << " " << j;
                ASSERT_GT(particle.links[j].restLength, 0.0f);
            }
        }
    }
    // 0.02 x 0.59 in single precision is one step below the float nearest 0.0118.
    EXPECT_EQ(particles[Shoulder1].links[3].restLength, std::nextafter(0.0118f, 0.0f));
    // The thigh: the hip pulls towards 0.01475, the knee towards 0.0177.
    EXPECT_FLOAT_EQ(particles[Hip1].links[2].restLength, 0.01475f);
    EXPECT_FLOAT_EQ(particles[Knee1].links[0].restLength, 0.0177f);
}

TEST_F(CrowdPlacement, LastPersonIsTheFirstOffsetBy14985)
{
    ResetRound();
    const int offset = 15 * 999;
    for (int k = 0; k < ParticlesPerPerson; ++k) {
        const Particle& first = particles[k];
        const Particle& last = particles[offset + k];
        ASSERT_EQ(last.linkCount, first.linkCount);
        for (int j = 0; j < first.linkCount; ++j) {
            EXPECT_EQ(last.links[j].target, first.links[j].target + offset);
            EXPECT_EQ(last.links[j].restLength, first.links[j].restLength);
        }
        // Same shape, moved by the difference of the pelvises.
        EXPECT_NEAR(last.pos.x - first.pos.x, PelvisOf(999).x - PelvisOf(0).x, 1e-6f);
        EXPECT_NEAR(last.pos.y - first.pos.y, 0.0f, 1e-6f);
        EXPECT_NEAR(last.pos.z - first.pos.z, PelvisOf(999).z - PelvisOf(0).z, 1e-6f);
    }
    EXPECT_EQ(particles[14985].standing, 1);
    EXPECT_EQ(particles[14985].links[0].target, 14986);
}

TEST_F(CrowdPlacement, StartingStateOfEveryParticle)
{
    ResetRound();
    int heads = 0;
    for (int g = 0; g < ParticleCount; ++g) {
        const Particle& p = particles[g];
        ASSERT_EQ(p.standing, g % 15 == 0 ? 1 : 0) << g;
        ASSERT_EQ(p.fuse, -2.0f) << g;
        ASSERT_EQ(p.vel.x, 0.0f);
        ASSERT_EQ(p.vel.y, 0.0f);
        ASSERT_EQ(p.vel.z, 0.0f);
        int first = g - g % 15;
        for (int j = 0; j < p.linkCount; ++j) {
            ASSERT_GE(p.links[j].target, first);
            ASSERT_LE(p.links[j].target, first + 14);
            ASSERT_NE(p.links[j].target, g);
        }
        heads += p.standing;
    }
    EXPECT_EQ(heads, 1000);
}

TEST_F(CrowdPlacement, ResetRebuildsTheSameCrowdAndGameState)
{
    ResetRound();
    std::vector<unsigned char> first = ParticleBytes();

    // Play the crowd about, then reset from another game state.
    particles[15 * 300].fuse = 0.0f;
    particles[15 * 301].standing = 0;
    for (int i = 0; i < 20; ++i)
        StepSimulation(TimeStep);
    CurrentState = Score;
    PlayerScore = 57;
    FrameClock = 12.5f;
    ClickPending = 1;
    FusewalkersLeft = 2;
    ExplosionCount = 1;
    std::memset(DigitGlyphs, 0, sizeof DigitGlyphs);
    ASSERT_FALSE(ParticleBytes() == first);

    ResetRound();
    EXPECT_TRUE(ParticleBytes() == first);
    EXPECT_EQ(CurrentState, Title);
    EXPECT_EQ(PlayerScore, 0);
    EXPECT_EQ(DigitGlyphs[8], 127); // the font tables are filled again
    // What the reset leaves alone.
    EXPECT_EQ(FrameClock, 12.5f);
    EXPECT_EQ(ClickPending, 1);
    EXPECT_EQ(FusewalkersLeft, 2);
    EXPECT_EQ(ExplosionCount, 1);
    ClickPending = 0;
}
