#include <gtest/gtest.h>

#include "scenes/crowd_hash.h"
#include "tests/headless_fixture.h"
#include "tests/test_files.h"

class Determinism : public HeadlessGlTest {};

TEST_F(Determinism, MidRoundCrowdHashIsFixed)
{
    TempWorkDir dir; // no ragdoll.rag: the shipped pose
    PlayHashedScene();
    EXPECT_EQ(ExplosionCount, 3);
    EXPECT_EQ(PlayerScore, ExpectedCrowdScore);
    EXPECT_EQ(CrowdHash(), ExpectedCrowdHash) << std::hex << CrowdHash();
}
