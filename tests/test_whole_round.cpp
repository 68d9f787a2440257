#include <cmath>

#include <gtest/gtest.h>

#include "game/frame.h"
#include "game/globals.h"
#include "sim/fuse.h"
#include "sim/physics.h"
#include "tests/headless_fixture.h"
#include "tests/line_recorder.h"
#include "tests/scenes.h"
#include "tests/temp_work_dir.h"
#include "world/particles.h"

namespace {

class WholeRound : public HeadlessGlTest {
protected:
    void SetUp() override
    {
        HeadlessGlTest::SetUp();
        UseIdentityView(Width, Height);
        FrameClock = 0.0f;
        StartRound();
    }

    void TearDown() override { ClickPending = 0; }

    static void ClickOn(int person)
    {
        const Vec4& head = particles[person * ParticlesPerPerson].pos;
        CursorX = head.x;
        CursorZ = head.z - 0.8f;
        ClickPending = 1;
        LightFuse();
    }

    // The first particle outside the box, not finite, or standing without
    // being a head; -1 when there is none.
    static int FirstUnsoundParticle()
    {
        for (int g = 0; g < ParticleCount; ++g) {
            const Particle& p = particles[g];
            bool finite = std::isfinite(p.pos.x) && std::isfinite(p.pos.y) && std::isfinite(p.pos.z) &&
                          std::isfinite(p.vel.x) && std::isfinite(p.vel.y) && std::isfinite(p.vel.z);
            bool inside = p.pos.x >= -1.0f && p.pos.x <= 1.0f && p.pos.y >= -0.99f && p.pos.z >= 0.0f &&
                          p.pos.z <= 1.0f;
            if (!finite || !inside || (p.standing != 0 && g % ParticlesPerPerson != 0))
                return g;
        }
        return -1;
    }

    TempWorkDir dir; // no ragdoll.rag: the shipped pose
};

} // namespace

TEST_F(WholeRound, ThreeBlastsKeepTheCrowdInTheBoxAndTheRoundEnds)
{
    // Lit at different times, far apart: left front, middle, right back.
    const int lightAt[3] = {0, 40, 150};
    const int person[3] = {70, 500, 930};
    int lit = 0;
    int score = 0;
    int endedAt = -1;
    // Until the round ends, which takes somewhat over a thousand steps.
    for (int step = 1; step <= 1500 && endedAt < 0; ++step) {
        if (lit < 3 && step - 1 == lightAt[lit]) {
            ClickOn(person[lit]);
            ASSERT_EQ(particles[person[lit] * ParticlesPerPerson].fuse, 100.0f);
            ++lit;
        }
        StepSimulation(TimeStep);
        FrameClock += 0.1f;
        int bad = FirstUnsoundParticle();
        ASSERT_EQ(bad, -1) << "step " << step << ": particle at (" << particles[bad].pos.x << ", "
                           << particles[bad].pos.y << ", " << particles[bad].pos.z << ")";
        ASSERT_GE(PlayerScore, score) << "step " << step;
        score = PlayerScore;
        ASSERT_LE(ExplosionCount, 3);
        if (ExplosionCount < 3) {
            ASSERT_FALSE(RoundHasEnded()) << "step " << step;
        } else if (RoundHasEnded()) {
            endedAt = step;
        }
    }
    EXPECT_EQ(ExplosionCount, 3);
    EXPECT_EQ(FusewalkersLeft, 0);
    EXPECT_GT(PlayerScore, 100);
    int standing = 0;
    for (int g = 0; g < ParticleCount; g += ParticlesPerPerson)
        standing += particles[g].standing;
    EXPECT_GT(standing, 0);
    EXPECT_LT(standing, 900);

    // Three blasts have gone off: once no fallen head moves, the round is over.
    EXPECT_GT(endedAt, 251) << "the last blast is in step 251";
    for (int g = 0; g < ParticleCount; g += ParticlesPerPerson) {
        if (!particles[g].standing) {
            EXPECT_LE(particles[g].vel.LengthSquared(), 0.02f) << g;
        }
    }
}
