// The game's step against the plain reference step: the same crowd through
// both, compared bit for bit, on whole rounds and on crowds made to find the
// corners of the fast paths (dense clusters where falls chain within a pass,
// heads on the knock-on threshold, odd link tables, hostile positions).

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>

#include <gtest/gtest.h>

#include "world/globals.h"
#include "sim/fuse.h"
#include "sim/physics.h"
#include "sim/reference_step.h"
#include "scenes/game_snapshot.h"
#include "scenes/scenes.h"
#include "world/particles.h"

namespace {

// Runs one pass (or step) from the state as it stands through the reference
// and through the game's code, and expects the same outcome in every bit.
// Leaves the game's outcome in place.
::testing::AssertionResult SameOutcome(void (*reference)(), void (*fast)())
{
    GameSnapshot start = TakeSnapshot();
    reference();
    GameSnapshot expected = TakeSnapshot();
    RestoreSnapshot(start);
    fast();
    GameSnapshot got = TakeSnapshot();
    if (SameState(expected, got))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "first different particle " << FirstDifferentParticle(expected, got)
                                         << " (-1: only the scalars), score " << expected.playerScore << " vs "
                                         << got.playerScore;
}

void ReferenceStep() { ReferenceStepSimulation(TimeStep); }
void FastStep() { StepSimulation(TimeStep); }

// Floats from a fixed-seed generator, the same on every platform.
struct Random {
    std::mt19937 engine;
    explicit Random(uint32_t seed) : engine(seed) {}
    float Unit() { return float(engine() >> 8) * (1.0f / 16777216.0f); }
    float Between(float low, float high) { return low + (high - low) * Unit(); }
    bool OneIn(uint32_t n) { return engine() % n == 0; }
};

Vec4& HeadPos(int p) { return particles[p * ParticlesPerPerson].pos; }
uint8_t& Standing(int p) { return particles[p * ParticlesPerPerson].standing; }

int FallenCount()
{
    int n = 0;
    for (int p = 0; p < PeopleCount; ++p)
        n += Standing(p) ? 0 : 1;
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

// Moves every head far apart from each other (one per grid point, a metre
// above the floor) so that a test can place just the heads it needs.
void ClearHeadsAway()
{
    StartRound();
    for (int p = 0; p < PeopleCount; ++p)
        HeadPos(p) = Vec4(-0.95f + 0.06f * float(p % 32), 0.0f, 0.03f * float(p / 32));
}

// Squared distance exactly as the knock-on test forms it.
float KnockOnSquare(Vec4 a, Vec4 b)
{
    a -= b;
    return a.LengthSquared();
}

// An offset whose squared length, as Length forms it, is the threshold itself.
Vec4 AtTheLengthThreshold()
{
    for (float x = 2.2e-5f;; x = std::nextafter(x, 1.0f)) {
        float z = std::sqrt(LengthEpsilon - x * x);
        for (float candidate : {std::nextafter(z, 0.0f), z, std::nextafter(z, 1.0f)})
            if (Vec4(x, 0, candidate).LengthSquared() == LengthEpsilon)
                return Vec4(x, 0, candidate);
    }
}

} // namespace

TEST(FastStep, MatchesTheReferenceThroughARoundAndOnTheSharedCrowds)
{
    StartRound();
    int steps = 0;
    for (; steps < 320 && !(steps > 120 && FallenCount() == PeopleCount); ++steps) {
        // Fuses lit at different moments, one of them on a fallen person.
        for (auto [at, person] : {std::pair{0, 200}, {3, 520}, {150, 870}})
            if (steps == at)
                LightPerson(person);
        ASSERT_TRUE(SameOutcome(ReferenceStep, FastStep)) << "step " << steps;
        FrameClock += 0.1f;
    }
    EXPECT_EQ(ExplosionCount, 3);
    EXPECT_GT(FallenCount(), PeopleCount / 3) << "the blasts and the falls they spread should have been exercised";

    for (void (*crowd)() : {StartRound, MidRoundCrowd, WorstCaseKnockOnCrowd}) {
        crowd();
        for (int step = 0; step < 20; ++step, FrameClock += 0.1f)
            ASSERT_TRUE(SameOutcome(ReferenceStep, FastStep)) << "step " << step;
    }
}

TEST(FastKnockOn, MatchesAllPairsOnRandomClusteredAndHostileCrowds)
{
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const float hostile[] = {inf, -inf, nan, 1e30f, -1e30f, 3e9f, -0.0f, 1e-40f};
    Random random(20240611);
    for (int trial = 0; trial < 60; ++trial) {
        StartRound();
        switch (trial % 5) {
        case 0: ScatterHeads(random, -1.0f, 1.0f, 0.0f, 1.0f, 2); break; // the whole box
        case 1: ScatterHeads(random, -0.1f, 0.1f, 0.4f, 0.5f, 3); break; // one dense cluster
        case 2: ScatterHeads(random, 0.95f, 1.05f, -0.05f, 0.05f, 8); break; // a corner, over the walls
        case 3: // small clusters of a few heads each, most fallen
            for (int p = 0; p < PeopleCount; ++p) {
                int cluster = p / 5;
                HeadPos(p) = Vec4(-0.9f + 0.0009f * float(cluster * 7 % 2000) + random.Between(-0.01f, 0.01f), -0.9f,
                                  0.05f + 0.0045f * float(cluster) + random.Between(-0.01f, 0.01f));
                Standing(p) = random.OneIn(4) ? 1 : 0;
            }
            break;
        default: // far off the floor's area, infinite or not a number
            ScatterHeads(random, -1.0f, 1.0f, 0.0f, 1.0f, 2);
            for (int p = trial; p < PeopleCount; p += 9)
                (p % 3 == 0 ? HeadPos(p).x : p % 3 == 1 ? HeadPos(p).y : HeadPos(p).z) = hostile[size_t(p + trial) % 8];
            // Two heads at the same far-away point still touch.
            HeadPos(990) = HeadPos(991) = Vec4(1e30f, 5.0f, -1e30f);
            Standing(990) = 0;
            Standing(991) = 1;
        }
        int fallenBefore = FallenCount();
        ASSERT_TRUE(SameOutcome(ReferenceSpreadFalls, SpreadFalls)) << "trial " << trial;
        EXPECT_TRUE(trial % 5 != 1 || FallenCount() > fallenBefore) << "a dense cluster should knock people down";
        EXPECT_TRUE(trial % 5 != 4 || Standing(991) == 0);
    }
}

TEST(FastKnockOn, HeadsOnTheThresholdFollowTheExactArithmetic)
{
    // The three largest offsets whose square, as the test forms it, lies
    // below the threshold, and the three smallest whose square does not.
    std::vector<float> touching, apart;
    for (float d = 0.0139f; d < 0.0141f && apart.size() < 3; d = std::nextafter(d, 1.0f))
        (d * d < KnockOnDistanceSquared ? touching : apart).push_back(d);
    touching.erase(touching.begin(), touching.end() - 3);
    // And a diagonal whose square is the threshold itself: not touching.
    Vec4 onIt;
    for (float dx = 0.0098f; onIt.x == 0.0f && dx < 0.0099f; dx = std::nextafter(dx, 1.0f)) {
        float dz = std::sqrt(KnockOnDistanceSquared - dx * dx);
        for (float z : {std::nextafter(dz, 0.0f), dz, std::nextafter(dz, 1.0f)})
            if (KnockOnSquare(Vec4(), Vec4(dx, 0, z)) == KnockOnDistanceSquared)
                onIt = Vec4(dx, 0, z);
    }
    ASSERT_NE(onIt.x, 0.0f);

    Random random(7);
    for (int trial = 0; trial < 20; ++trial) {
        ClearHeadsAway();
        // A fallen head beside a standing one in each cell of a 10 x 10
        // lattice, on binary fractions or off them, along x or along z.
        int touchingPairs = 0;
        for (int pair = 0; pair < 100; ++pair) {
            int fallen = 2 * pair + trial % 2, standing = 2 * pair + 1 - trial % 2;
            Vec4 base(-0.9375f + 0.1875f * float(pair % 10), -0.9f, 0.03125f + 0.09375f * float(pair / 10));
            if (pair % 3)
                base += Vec4(random.Between(0.0f, 0.1f), 0.0f, random.Between(0.0f, 0.05f));
            HeadPos(fallen) = HeadPos(standing) = base;
            (pair % 4 < 2 ? HeadPos(standing).x : HeadPos(standing).z) += (pair % 2 ? apart : touching)[size_t(pair) % 3];
            Standing(fallen) = 0;
            touchingPairs += KnockOnSquare(HeadPos(fallen), HeadPos(standing)) < KnockOnDistanceSquared;
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
    Random random(4242);
    for (int trial = 0; trial < 12; ++trial) {
        MidRoundCrowd();
        for (int g = 0; g < ParticleCount; ++g) {
            Particle& p = particles[g];
            p.pos.x += random.Between(-0.01f, 0.01f);
            p.vel.z += random.Between(-1.0f, 1.0f);
        }
        // Body parts that stand, heads fallen or standing at random.
        for (int n = 0; n < 40; ++n)
            particles[random.engine() % ParticleCount].standing = uint8_t(random.OneIn(2));
        // Negative zeros where a link must leave a value alone: on standing
        // particles, which links never move, and on particles that stand
        // themselves and so pull nothing.
        for (int g = 0; g < ParticleCount; g += 7)
            if (particles[g].standing) {
                particles[g].vel = Vec4(-0.0f, -0.0f, -0.0f);
                particles[g].pos.z = -0.0f;
            }
        // Linked particles on the same point, nearly so, and exactly as far
        // apart as the length threshold (placed at the origin, where the
        // offset is kept exactly).
        for (int n = 0; n < 30; ++n) {
            int g = int(random.engine() % ParticleCount);
            Particle& p = particles[g];
            if (n % 3 == 2)
                p.pos = Vec4();
            const Vec4 offsets[3] = {Vec4(), Vec4(1e-6f, 0, 0), AtTheLengthThreshold()};
            if (p.linkCount > 0)
                particles[p.links[0].target].pos = Vec4(p.pos.x + offsets[n % 3].x, p.pos.y, p.pos.z + offsets[n % 3].z);
        }
        // People whose link tables are not the skeleton: fewer links, a link
        // into another person, a link to a particle far along the array,
        // negative zero coordinates, a longer bone.
        for (int n = 0; n < 15; ++n) {
            int person = int(random.engine() % PeopleCount);
            Particle& p = particles[person * ParticlesPerPerson + int(random.engine() % ParticlesPerPerson)];
            switch (n % 5) {
            case 0: p.linkCount = p.linkCount > 0 ? p.linkCount - 1 : 0; break;
            case 4:
                if (p.linkCount > 0)
                    p.links[p.linkCount - 1].restLength *= 1.5f;
                break;
            case 1: p.links[0].target = int(random.engine() % ParticleCount); break;
            case 2:
                if (p.linkCount < MaxLinks) {
                    p.links[p.linkCount].target = (person * ParticlesPerPerson + 7500) % ParticleCount;
                    p.links[p.linkCount].restLength = 0.02f;
                    ++p.linkCount;
                }
                break;
            default: p.pos = Vec4(-0.0f, p.pos.y, -0.0f); break;
            }
        }
        ASSERT_TRUE(SameOutcome(ReferenceRelaxLinks, RelaxLinks)) << "trial " << trial;
    }
}
