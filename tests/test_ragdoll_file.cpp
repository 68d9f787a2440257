#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "tests/test_files.h"
#include "world/particles.h"
#include "world/ragdoll_file.h"
#include "world/round.h"

namespace {

// Little-endian bytes of the floats, as the file holds them.
Bytes ToBytes(const std::vector<float>& values)
{
    Bytes bytes;
    for (float v : values) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<unsigned char>(bits >> (8 * i)));
    }
    return bytes;
}

// A pose with a distinct value in every float, so any misplaced byte shows.
std::vector<float> DistinctPose()
{
    std::vector<float> values(ParticlesPerPerson * 4);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = 0.01f * float(i + 1);
    return values;
}

Bytes PoseBytes(const Vec4 (&pose)[ParticlesPerPerson])
{
    std::vector<float> values;
    for (const Vec4& v : pose)
        values.insert(values.end(), {v.x, v.y, v.z, v.w});
    return ToBytes(values);
}

bool CrowdIsFinite()
{
    for (const Particle& p : particles)
        if (!std::isfinite(p.pos.x) || !std::isfinite(p.pos.y) || !std::isfinite(p.pos.z))
            return false;
    return true;
}

class RagdollFile : public ::testing::Test {
protected:
    TempWorkDir dir;
};

} // namespace

TEST_F(RagdollFile, ShippedPoseIsTheDataFileByteForByte)
{
    std::ifstream in(FW_DATA_DIR "/ragdoll.rag", std::ios::binary);
    Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(file, PoseBytes(ShippedPose));
}

TEST_F(RagdollFile, FileFillsTheTemplateFromItsStartAndNoFurther)
{
    // Past the 15th record a NaN and a huge value, which would be refused if read.
    Bytes file = ToBytes(DistinctPose());
    Bytes tail = ToBytes({std::numeric_limits<float>::quiet_NaN(), 1e30f, 5.0f});
    file.insert(file.end(), tail.begin(), tail.end());
    // 18 bytes end inside a float: only its low bytes change.
    for (size_t length : {0, 18, 100, 240, 252}) {
        std::remove("ragdoll.rag");
        ResetRound(); // no file: the shipped pose
        WriteFile("ragdoll.rag", Bytes(file.begin(), file.begin() + long(length)));
        ResetRound();
        Bytes want = PoseBytes(ShippedPose);
        std::copy(file.begin(), file.begin() + long(std::min<size_t>(length, RagdollFileBytes)), want.begin());
        EXPECT_EQ(PoseBytes(RagdollTemplate), want) << length << " bytes";
        EXPECT_TRUE(CrowdIsFinite());
    }
}

TEST_F(RagdollFile, MissingOrUnsoundFileGivesTheShippedPose)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    // Float index in the file and its value; index -1 removes the file.
    const struct {
        int index;
        float value;
    } cases[] = {{-1, 0}, {0, nan}, {13, inf}, {26, -inf}, {59, nan}, {5, 1000.5f}, {40, -1e6f}, {33, 3.0e38f}};
    for (const auto& c : cases) {
        std::vector<float> pose = DistinctPose();
        WriteFile("ragdoll.rag", ToBytes(pose));
        ResetRound(); // a sound file first, so the fallback shows
        ASSERT_EQ(PoseBytes(RagdollTemplate), ToBytes(pose));
        if (c.index < 0) {
            std::remove("ragdoll.rag");
        } else {
            pose[size_t(c.index)] = c.value;
            WriteFile("ragdoll.rag", ToBytes(pose));
        }
        ResetRound();
        EXPECT_EQ(PoseBytes(RagdollTemplate), PoseBytes(ShippedPose)) << "float " << c.index << " = " << c.value;
        EXPECT_TRUE(CrowdIsFinite());
    }

    // w is never used, so it need only be finite; coordinates of 1000 still make a pose.
    std::vector<float> pose = DistinctPose();
    pose[3] = 1e30f;
    pose[4] = -1000.0f;
    WriteFile("ragdoll.rag", ToBytes(pose));
    ResetRound();
    EXPECT_EQ(PoseBytes(RagdollTemplate), ToBytes(pose));

    // A directory in its place opens here but reads nothing.
    std::remove("ragdoll.rag");
    ResetRound();
    ASSERT_EQ(mkdir("ragdoll.rag", 0700), 0);
    ResetRound();
    EXPECT_EQ(PoseBytes(RagdollTemplate), PoseBytes(ShippedPose));
}

TEST_F(RagdollFile, PelvisRecordIsReadButDoesNotMoveTheCrowd)
{
    ResetRound();
    std::vector<Particle> first(particles, particles + ParticleCount);
    Bytes file = PoseBytes(ShippedPose);
    Bytes pelvis = ToBytes({0.5f, -0.25f, 7.0f, 9.0f});
    std::copy(pelvis.begin(), pelvis.end(), file.begin() + 16 * Pelvis);
    WriteFile("ragdoll.rag", file);
    ResetRound();
    EXPECT_EQ(RagdollTemplate[Pelvis].z, 7.0f);
    EXPECT_EQ(0, std::memcmp(first.data(), particles, sizeof particles));
}
