#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "world/globals.h"
#include "scenes/scenes.h"
#include "world/particles.h"

// The fixed scene whose crowd must come out bit for bit the same on every
// compiler, C library and build type (plain, optimised, sanitised, Windows).
// A change of the hash means the floating point is no longer strict:
// contracted multiply-adds, fast-math, excess precision, or a changed order
// of operations. Change the constant only with a deliberate change to the
// simulation. Run it where no "ragdoll.rag" lies, so the shipped pose is used.
constexpr uint64_t ExpectedCrowdHash = 0xa4881a5cf55f5c26ull;
constexpr int ExpectedCrowdScore = 1067;

inline void PlayHashedScene()
{
    FrameClock = 0.0f;
    MidRoundCrowd();
    RunSteps(50);
}

// FNV-1a over x, y, z of every position and velocity (w means nothing),
// standing and fuse.
inline uint64_t CrowdHash()
{
    uint64_t hash = 0xcbf29ce484222325ull;
    auto add = [&hash](const void* data, size_t size) {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) {
            hash ^= bytes[i];
            hash *= 0x100000001b3ull;
        }
    };
    for (const Particle& p : particles) {
        for (const Vec4* v : {&p.pos, &p.vel}) {
            add(&v->x, sizeof v->x);
            add(&v->y, sizeof v->y);
            add(&v->z, sizeof v->z);
        }
        add(&p.standing, sizeof p.standing);
        add(&p.fuse, sizeof p.fuse);
    }
    return hash;
}
