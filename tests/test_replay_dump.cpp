#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "game/globals.h"
#include "tests/scenes.h"
#include "tools/replay_dump.h"
#include "world/particles.h"

namespace {

std::string TempPath(const char* name)
{
    return (::testing::TempDir() + name);
}

} // namespace

TEST(ReplayDump, WritesEveryParticleSoEveryBitReadsBack)
{
    MidRoundCrowd();
    ClickPending = 0;
    std::string path = TempPath("fusewalker-dump-test.txt");
    ASSERT_TRUE(WriteStateDump(path, 123));

    std::ifstream in(path);
    std::string header;
    std::getline(in, header);
    char expected[200];
    std::snprintf(expected, sizeof expected, "frame 123 state 1 score %d explosions 3 left 0 clickpending 0 clock %.9g",
                  int(PlayerScore), double(FrameClock));
    EXPECT_EQ(header, expected);

    int lines = 0;
    int mismatches = 0;
    std::string line;
    while (std::getline(in, line)) {
        int g = -1;
        float px, py, pz, vx, vy, vz, fuse;
        int standing = -1;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d %f %f %f %f %f %f %d %f", &g, &px, &py, &pz, &vx, &vy, &vz, &standing, &fuse), 9) << line;
        ASSERT_EQ(g, lines) << line;
        const Particle& p = particles[g];
        bool same = px == p.pos.x && py == p.pos.y && pz == p.pos.z && vx == p.vel.x && vy == p.vel.y &&
                    vz == p.vel.z && standing == p.standing && fuse == p.fuse;
        mismatches += same ? 0 : 1;
        ++lines;
    }
    EXPECT_EQ(lines, ParticleCount);
    EXPECT_EQ(mismatches, 0);
    std::remove(path.c_str());
}

TEST(ReplayDump, SummaryCountsStandingHeads)
{
    StartRound();
    EXPECT_EQ(StandingCount(), PeopleCount);
    EXPECT_EQ(ReplaySummary(600),
              "{\"frames\":600,\"state\":1,\"score\":0,\"explosions\":0,\"standing\":1000,\"fusewalkersLeft\":3}");
    particles[0].standing = 0;
    particles[15 * 999].standing = 0;
    EXPECT_EQ(StandingCount(), PeopleCount - 2);
}

TEST(ReplayDump, UnwritablePathIsReported)
{
    EXPECT_FALSE(WriteStateDump("/nonexistent-folder/for/sure/state.txt", 1));
}
