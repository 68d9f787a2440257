#pragma once

#include <cstdio>

#include "world/particles.h"

constexpr int RagdollFileBytes = ParticlesPerPerson * 16;

enum class RagdollRead {
    Ok, // the file's bytes are in the pose (a short file fills only its start)
    Missing, // the file could not be opened; the pose is unchanged
    Unsound, // the file held values that are not finite or absurdly large; the pose is unchanged
};

// Reads a ragdoll pose from an open file, which it closes (null: Missing):
// 15 records of four little-endian floats. A short file fills the pose from
// its start and leaves the rest as it was; bytes after the 15th record are
// not read.
RagdollRead ReadRagdollFile(std::FILE* file, Vec4 (&pose)[ParticlesPerPerson]);

// The pose that ships as "ragdoll.rag", built into the program.
extern const Vec4 ShippedPose[ParticlesPerPerson];

// Reads "ragdoll.rag", wherever the data files are, into RagdollTemplate. When the file is missing or holds
// values that cannot make a sound crowd, the shipped pose stands in for it.
void LoadRagdollTemplate();
