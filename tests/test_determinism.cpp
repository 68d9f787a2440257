#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "game/globals.h"
#include "tests/headless_fixture.h"
#include "tests/scenes.h"
#include "tests/temp_work_dir.h"
#include "world/particles.h"

namespace {

// FNV-1a, 64 bits.
struct Fnv {
    uint64_t hash = 0xcbf29ce484222325ull;

    void Add(const void* data, size_t size)
    {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) {
            hash ^= bytes[i];
            hash *= 0x100000001b3ull;
        }
    }

    void Add(const Vec4& v)
    {
        Add(&v.x, sizeof v.x);
        Add(&v.y, sizeof v.y);
        Add(&v.z, sizeof v.z);
    }
};

uint64_t CrowdHash()
{
    Fnv fnv;
    for (const Particle& p : particles) {
        fnv.Add(p.pos);
        fnv.Add(p.vel);
        fnv.Add(&p.standing, sizeof p.standing);
        fnv.Add(&p.fuse, sizeof p.fuse);
    }
    return fnv.hash;
}

} // namespace

// The crowd after three blasts must come out bit for bit the same on every
// compiler and in every build type (plain, optimised, sanitised). A change of
// this hash means the floating point is no longer strict: contracted
// multiply-adds, fast-math, excess precision, or a changed order of operations.
// Change the constant only together with a deliberate change to the simulation.
class Determinism : public HeadlessGlTest {};

TEST_F(Determinism, MidRoundCrowdHashIsFixed)
{
    TempWorkDir dir; // no ragdoll.rag: the shipped pose
    FrameClock = 0.0f;
    MidRoundCrowd();
    RunSteps(50);
    EXPECT_EQ(ExplosionCount, 3);
    EXPECT_EQ(PlayerScore, 1067);
    EXPECT_EQ(CrowdHash(), 0xa4881a5cf55f5c26ull) << std::hex << CrowdHash();
}
