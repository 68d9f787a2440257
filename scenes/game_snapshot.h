#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "world/globals.h"
#include "world/particles.h"

// The whole changing state of the game: the crowd and the scalars the step
// and the frame touch. Tests and benchmarks take one and put it back to run
// two implementations, or many iterations, from the same crowd.
struct GameSnapshot {
    std::vector<Particle> crowd;
    int32_t state, clickPending, fusewalkersLeft, explosionCount, playerScore;
    float frameClock, cursorX, cursorZ;
};

inline GameSnapshot TakeSnapshot()
{
    return GameSnapshot{std::vector<Particle>(particles, particles + ParticleCount),
                        CurrentState,
                        ClickPending,
                        FusewalkersLeft,
                        ExplosionCount,
                        PlayerScore,
                        FrameClock,
                        CursorX,
                        CursorZ};
}

inline void RestoreSnapshot(const GameSnapshot& s)
{
    std::memcpy(particles, s.crowd.data(), sizeof particles);
    CurrentState = s.state;
    ClickPending = s.clickPending;
    FusewalkersLeft = s.fusewalkersLeft;
    ExplosionCount = s.explosionCount;
    PlayerScore = s.playerScore;
    FrameClock = s.frameClock;
    CursorX = s.cursorX;
    CursorZ = s.cursorZ;
}

// The first particle whose fields differ in any bit, or -1 when the crowds are
// the same. w and the link table count too; padding bytes do not.
inline int FirstDifferentParticle(const GameSnapshot& a, const GameSnapshot& b)
{
    for (int g = 0; g < ParticleCount; ++g) {
        const Particle& p = a.crowd[size_t(g)];
        const Particle& q = b.crowd[size_t(g)];
        if (std::memcmp(&p.pos, &q.pos, sizeof p.pos) != 0 || std::memcmp(&p.vel, &q.vel, sizeof p.vel) != 0 ||
            p.linkCount != q.linkCount || std::memcmp(p.links, q.links, sizeof p.links) != 0 ||
            p.standing != q.standing || std::memcmp(&p.fuse, &q.fuse, sizeof p.fuse) != 0)
            return g;
    }
    return -1;
}

inline bool SameState(const GameSnapshot& a, const GameSnapshot& b)
{
    return FirstDifferentParticle(a, b) < 0 && a.state == b.state && a.clickPending == b.clickPending &&
           a.fusewalkersLeft == b.fusewalkersLeft && a.explosionCount == b.explosionCount &&
           a.playerScore == b.playerScore && std::memcmp(&a.frameClock, &b.frameClock, sizeof(float)) == 0;
}
