#include "world/ragdoll_file.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "world/data_files.h"

namespace {

// Template coordinates beyond this are no person at all; far larger values
// would overflow the squared lengths of the links into infinity.
constexpr float MaxCoordinate = 1000.0f;

float DecodeFloat(const unsigned char* b)
{
    uint32_t bits = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

void EncodeFloat(float f, unsigned char* b)
{
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<unsigned char>(bits >> (8 * i));
}

bool IsSoundValue(float v, bool coordinate)
{
    if (!std::isfinite(v))
        return false;
    return !coordinate || std::fabs(v) <= MaxCoordinate;
}

} // namespace

RagdollRead ReadRagdollFile(std::FILE* file, Vec4 (&pose)[ParticlesPerPerson])
{
    if (!file)
        return RagdollRead::Missing;

    // Start from the pose as it stands, so a short file changes only its start.
    unsigned char bytes[RagdollFileBytes];
    for (int k = 0; k < ParticlesPerPerson; ++k) {
        EncodeFloat(pose[k].x, bytes + 16 * k);
        EncodeFloat(pose[k].y, bytes + 16 * k + 4);
        EncodeFloat(pose[k].z, bytes + 16 * k + 8);
        EncodeFloat(pose[k].w, bytes + 16 * k + 12);
    }
    std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);

    Vec4 read[ParticlesPerPerson];
    for (int k = 0; k < ParticlesPerPerson; ++k) {
        const unsigned char* r = bytes + 16 * k;
        read[k] = Vec4(DecodeFloat(r), DecodeFloat(r + 4), DecodeFloat(r + 8), DecodeFloat(r + 12));
        if (!IsSoundValue(read[k].x, true) || !IsSoundValue(read[k].y, true) || !IsSoundValue(read[k].z, true) ||
            !IsSoundValue(read[k].w, false))
            return RagdollRead::Unsound;
    }
    for (int k = 0; k < ParticlesPerPerson; ++k)
        pose[k] = read[k];
    return RagdollRead::Ok;
}

void LoadRagdollTemplate()
{
    std::FILE* file = OpenDataFile("ragdoll.rag", "the built-in pose stands in");
    if (ReadRagdollFile(file, RagdollTemplate) == RagdollRead::Ok)
        return;
    for (int k = 0; k < ParticlesPerPerson; ++k)
        RagdollTemplate[k] = ShippedPose[k];
}
