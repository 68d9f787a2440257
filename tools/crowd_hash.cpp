// Plays the fixed scene of the determinism test and checks its hash: built
// for Windows too and run under Wine, it shows the other compiler and C
// library make the very same crowd.
#include <cinttypes>
#include <cstdio>

#include "scenes/crowd_hash.h"

int main()
{
    PlayHashedScene();
    uint64_t hash = CrowdHash();
    std::printf("crowd hash %016" PRIx64 " score %d explosions %d\n", hash, PlayerScore, ExplosionCount);
    if (hash != ExpectedCrowdHash || PlayerScore != ExpectedCrowdScore) {
        std::printf("expected hash %016" PRIx64 " score %d\n", ExpectedCrowdHash, ExpectedCrowdScore);
        return 1;
    }
    return 0;
}
