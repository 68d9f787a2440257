#pragma once

#include <cstdint>

#include "math/vec4.h"

constexpr int PeopleCount = 1000;
constexpr int ParticlesPerPerson = 15;
constexpr int ParticleCount = PeopleCount * ParticlesPerPerson;
constexpr int MaxLinks = 10;

// Roles of a person's 15 particles: particle 15p + k plays role k.
enum Role : int {
    Head = 0,
    Neck = 1,
    Shoulder1 = 2, // arm 1: 2, 4, 5
    Shoulder0 = 3, // arm 0: 3, 6, 7
    Elbow1 = 4,
    Hand1 = 5,
    Elbow0 = 6,
    Hand0 = 7,
    Pelvis = 8,
    Hip1 = 9, // leg 1: 9, 11, 12
    Hip0 = 10, // leg 0: 10, 13, 14
    Knee1 = 11,
    Foot1 = 12,
    Knee0 = 13,
    Foot0 = 14,
};

struct ParticleLink {
    int32_t target;
    float restLength;
};

struct Particle {
    Vec4 pos;
    Vec4 vel;
    int32_t linkCount;
    ParticleLink links[MaxLinks];
    uint8_t standing; // only a head ever stands
    float fuse; // only the head's counts; -2 means no live fuse
};

// Template positions are scaled by this (0.59 / 1.8) when a person is placed.
constexpr float TemplateScale = 0.32777777f;
constexpr float FuseOut = -2.0f;

extern Particle particles[ParticleCount];
extern Vec4 RagdollTemplate[ParticlesPerPerson];

// One person's skeleton, by role: which roles each particle links to, in the
// order the physics applies them, and at what rest length.
struct SkeletonEntry {
    int linkCount;
    int target[5];
    float restLength[5];
};
extern const SkeletonEntry Skeleton[ParticlesPerPerson];

inline bool IsHead(int g) { return g % ParticlesPerPerson == 0; }
