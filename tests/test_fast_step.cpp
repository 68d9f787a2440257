// The game's two fast passes held bit for bit to the plain ones on crowds made to find their corners: chained
// falls, heads on the threshold, odd link tables, hostile positions. Whole rounds are the replay hashes' part.
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "scenes/game_snapshot.h"
#include "scenes/scenes.h"
#include "sim/fuse.h"
#include "sim/physics.h"
#include "sim/reference_step.h"
#include "world/particles.h"

namespace {

// One pass from the state as it stands, the reference's and the game's: the same in every bit. Leaves the game's.
::testing::AssertionResult SameOutcome(void (*reference)(), void (*fast)())
{
    GameSnapshot start = TakeSnapshot();
    reference();
    GameSnapshot expected = TakeSnapshot();
    RestoreSnapshot(start);
    fast();
    if (SameState(expected, TakeSnapshot()))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "first different particle " << FirstDifferentParticle(expected, TakeSnapshot());
}

// Floats from a fixed-seed generator, the same on every platform.
struct Random {
    std::mt19937 engine;
    float Between(float low, float high) { return low + (high - low) * float(engine() >> 8) * (1.0f / 16777216.0f); }
    bool OneIn(uint32_t n) { return engine() % n == 0; }
};

Vec4& HeadPos(int p) { return particles[p * ParticlesPerPerson].pos; }
uint8_t& Standing(int p) { return particles[p * ParticlesPerPerson].standing; }
int FallenCount()
{
    int n = 0;
    for (int p = 0; p < PeopleCount; ++p)
        n += !Standing(p);
    return n;
}

// Every head somewhere in a region, a share of them fallen.
void ScatterHeads(Random& random, float x0, float x1, float z0, float z1, uint32_t fallenOneIn)
{
    for (int p = 0; p < PeopleCount; ++p) {
        HeadPos(p) = Vec4(random.Between(x0, x1), random.Between(-0.99f, -0.85f), random.Between(z0, z1));
        Standing(p) = random.OneIn(fallenOneIn) ? 0 : 1;
    }
}

// An offset (x, 0, z) whose squared length, as the game forms it, is the threshold itself; x searched upwards.
Vec4 OnTheThreshold(float square, float x)
{
    for (;; x = std::nextafter(x, 1.0f)) {
        float z = std::sqrt(square - x * x);
        for (float candidate : {std::nextafter(z, 0.0f), z, std::nextafter(z, 1.0f)})
            if (Vec4(x, 0, candidate).LengthSquared() == square)
                return Vec4(x, 0, candidate);
    }
}

} // namespace

TEST(FastKnockOn, MatchesAllPairsOnRandomClusteredAndHostileCrowds)
{
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const float hostile[] = {inf, -inf, nan, 1e30f, -1e30f, 3e9f, -0.0f, 1e-40f};
    Random random{std::mt19937(20240611)};
    for (int trial = 0; trial < 50; ++trial) {
        StartRound();
        switch (trial % 5) {
        case 0: ScatterHeads(random, -1.0f, 1.0f, 0.0f, 1.0f, 2); break; // the whole box
        case 1: ScatterHeads(random, -0.1f, 0.1f, 0.4f, 0.5f, 3); break; // one dense cluster: chains of falls
        case 2: ScatterHeads(random, 0.95f, 1.05f, -0.05f, 0.05f, 8); break; // a corner, over the walls
        case 3: // small clusters of a few heads each, most fallen
            for (int p = 0; p < PeopleCount; ++p) {
                HeadPos(p) = Vec4(-0.9f + 0.0009f * float(p / 5 * 7 % 2000) + random.Between(-0.01f, 0.01f), -0.9f,
                                  0.05f + 0.0045f * float(p / 5) + random.Between(-0.01f, 0.01f));
                Standing(p) = random.OneIn(4) ? 1 : 0;
            }
            break;
        default: // far off the floor, infinite or not a number; two on one far point touch
            ScatterHeads(random, -1.0f, 1.0f, 0.0f, 1.0f, 2);
            for (int p = trial; p < PeopleCount; p += 9)
                (p % 3 == 0 ? HeadPos(p).x : p % 3 == 1 ? HeadPos(p).y : HeadPos(p).z) = hostile[size_t(p + trial) % 8];
            HeadPos(990) = HeadPos(991) = Vec4(1e30f, 5.0f, -1e30f);
            Standing(990) = 0;
            Standing(991) = 1;
        }
        int fallenBefore = FallenCount();
        ASSERT_TRUE(SameOutcome(ReferenceSpreadFalls, SpreadFalls)) << "trial " << trial;
        EXPECT_TRUE((trial % 5 != 1 || FallenCount() > fallenBefore) && (trial % 5 != 4 || !Standing(991)));
    }
}

TEST(FastKnockOn, HeadsOnTheThresholdFollowTheExactArithmetic)
{
    // The three largest offsets whose square lies below the threshold, the three smallest whose square does not,
    // and a diagonal whose square is the threshold itself: not touching.
    std::vector<float> touching, apart;
    for (float d = 0.0139f; apart.size() < 3; d = std::nextafter(d, 1.0f))
        (d * d < KnockOnDistanceSquared ? touching : apart).push_back(d);
    touching.erase(touching.begin(), touching.end() - 3);
    const Vec4 onIt = OnTheThreshold(KnockOnDistanceSquared, 0.0098f);
    Random random{std::mt19937(7)};
    for (int trial = 0; trial < 20; ++trial) {
        StartRound();
        for (int p = 0; p < PeopleCount; ++p) // far apart, a metre up
            HeadPos(p) = Vec4(-0.95f + 0.06f * float(p % 32), 0.0f, 0.03f * float(p / 32));
        // A fallen head beside a standing one in each cell of a 10 x 10 lattice, on binary fractions or off.
        int touchingPairs = 0;
        for (int pair = 0; pair < 100; ++pair) {
            int fallen = 2 * pair + trial % 2, standing = 2 * pair + 1 - trial % 2;
            Vec4 base(-0.9375f + 0.1875f * float(pair % 10), -0.9f, 0.03125f + 0.09375f * float(pair / 10));
            if (pair % 3)
                base += Vec4(random.Between(0.0f, 0.1f), 0.0f, random.Between(0.0f, 0.05f));
            HeadPos(fallen) = HeadPos(standing) = base;
            (pair % 4 < 2 ? HeadPos(standing).x : HeadPos(standing).z) += (pair % 2 ? apart : touching)[size_t(pair) % 3];
            Standing(fallen) = 0;
            Vec4 d = HeadPos(standing);
            d -= base;
            touchingPairs += d.LengthSquared() < KnockOnDistanceSquared;
        }
        // At the corner, where the offset is kept exactly.
        HeadPos(900) = Vec4(0.0f, -0.9f, 0.0f);
        HeadPos(901) = Vec4(onIt.x, -0.9f, onIt.z);
        Standing(900) = 0;
        int fallenBefore = FallenCount();
        ASSERT_TRUE(SameOutcome(ReferenceSpreadFalls, SpreadFalls)) << "trial " << trial;
        EXPECT_EQ(FallenCount(), fallenBefore + touchingPairs) << "every touching pair, and no other";
    }
}

TEST(FastLinks, MatchesTheReferenceOnOddLinkTablesAndStandingParts)
{
    const Vec4 offsets[3] = {Vec4(), Vec4(1e-6f, 0, 0), OnTheThreshold(LengthEpsilon, 2.2e-5f)};
    Random random{std::mt19937(4242)};
    for (int trial = 0; trial < 12; ++trial) {
        MidRoundCrowd();
        for (Particle& p : particles) {
            p.pos.x += random.Between(-0.01f, 0.01f);
            p.vel.z += random.Between(-1.0f, 1.0f);
        }
        // Body parts that stand, heads fallen or not, and negative zeros where a link must leave a value alone.
        for (int n = 0; n < 40; ++n)
            particles[random.engine() % ParticleCount].standing = uint8_t(random.OneIn(2));
        for (int g = 0; g < ParticleCount; g += 7)
            if (particles[g].standing) {
                particles[g].vel = Vec4(-0.0f, -0.0f, -0.0f);
                particles[g].pos.z = -0.0f;
            }
        // Linked ends on one point, nearly so, and exactly the length threshold apart (at the origin: kept exactly).
        for (int n = 0; n < 30; ++n) {
            Particle& p = particles[random.engine() % ParticleCount];
            if (n % 3 == 2)
                p.pos = Vec4();
            if (p.linkCount > 0)
                particles[p.links[0].target].pos = Vec4(p.pos.x + offsets[n % 3].x, p.pos.y, p.pos.z + offsets[n % 3].z);
        }
        // Link tables that are not the skeleton: fewer links, a link into another person or far on, a longer bone.
        for (int n = 0; n < 15; ++n) {
            int person = int(random.engine() % PeopleCount);
            Particle& p = particles[person * ParticlesPerPerson + int(random.engine() % ParticlesPerPerson)];
            if (n % 4 == 0 && p.linkCount > 0)
                --p.linkCount;
            else if (n % 4 == 1)
                p.links[0].target = int(random.engine() % ParticleCount);
            else if (n % 4 == 2 && p.linkCount < MaxLinks)
                p.links[p.linkCount++] = {(person * ParticlesPerPerson + 7500) % ParticleCount, 0.02f};
            else if (p.linkCount > 0)
                p.links[p.linkCount - 1].restLength *= 1.5f;
        }
        ASSERT_TRUE(SameOutcome(ReferenceRelaxLinks, RelaxLinks)) << "trial " << trial;
    }
}
