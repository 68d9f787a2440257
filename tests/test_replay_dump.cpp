#include <cstdio>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "world/globals.h"
#include "tests/scenes.h"
#include "tests/test_files.h"
#include "tools/replay_dump.h"
#include "world/particles.h"

TEST(ReplayDump, HeaderAndEveryParticleReadBackBitForBit)
{
    TempWorkDir dir;
    MidRoundCrowd();
    ClickPending = 0;
    ASSERT_TRUE(WriteStateDump("dump.txt", 123));
    std::ifstream in("dump.txt");
    std::string line;
    std::getline(in, line);
    char header[200];
    std::snprintf(header, sizeof header, "frame 123 state 1 score %d explosions 3 left 0 clickpending 0 clock %.9g",
                  int(PlayerScore), double(FrameClock));
    EXPECT_EQ(line, header);
    int g = 0;
    for (; std::getline(in, line); ++g) {
        int index = -1, standing = -1;
        float px, py, pz, vx, vy, vz, fuse;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d %f %f %f %f %f %f %d %f", &index, &px, &py, &pz, &vx, &vy, &vz,
                              &standing, &fuse),
                  9)
            << line;
        const Particle& p = particles[g];
        ASSERT_TRUE(index == g && px == p.pos.x && py == p.pos.y && pz == p.pos.z && vx == p.vel.x &&
                    vy == p.vel.y && vz == p.vel.z && standing == p.standing && fuse == p.fuse)
            << line;
    }
    EXPECT_EQ(g, ParticleCount);
    EXPECT_FALSE(WriteStateDump("no-such-folder/state.txt", 1));
}

TEST(ReplayDump, SummaryCountsStandingHeads)
{
    StartRound();
    particles[0].standing = 0;
    particles[15 * 999].standing = 0;
    EXPECT_EQ(ReplaySummary(600, 2), "{\"frames\":600,\"state\":1,\"score\":0,\"explosions\":0,\"standing\":998,"
                                     "\"fusewalkersLeft\":3,\"outcomesChecked\":2}");
}
