#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "tests/temp_work_dir.h"
#include "world/particles.h"
#include "world/ragdoll_file.h"
#include "world/round.h"

namespace {

// A pose with a distinct value in every float, so any misplaced byte shows.
std::vector<float> DistinctPose()
{
    std::vector<float> values(ParticlesPerPerson * 4);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = 0.01f * float(i + 1);
    return values;
}

// Little-endian bytes of the floats, as the file holds them.
std::vector<unsigned char> Bytes(const std::vector<float>& values)
{
    std::vector<unsigned char> bytes;
    for (float v : values) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<unsigned char>(bits >> (8 * i)));
    }
    return bytes;
}

std::vector<float> ShippedValues()
{
    std::vector<float> values;
    for (const Vec4& v : ShippedPose) {
        values.push_back(v.x);
        values.push_back(v.y);
        values.push_back(v.z);
        values.push_back(v.w);
    }
    return values;
}

bool IsThigh(int a, int b)
{
    return (a == Hip1 && b == Knee1) || (a == Knee1 && b == Hip1) || (a == Hip0 && b == Knee0) ||
           (a == Knee0 && b == Hip0);
}

float Component(const Vec4& v, int i) { return i == 0 ? v.x : i == 1 ? v.y : i == 2 ? v.z : v.w; }

void ExpectTemplateIs(const std::vector<float>& values)
{
    for (int k = 0; k < ParticlesPerPerson; ++k)
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(Component(RagdollTemplate[k], i), values[4 * k + i]) << "entry " << k << " component " << i;
}

void WriteRag(const std::vector<unsigned char>& bytes)
{
    TempWorkDir::WriteFile("ragdoll.rag", bytes.data(), bytes.size());
}

std::vector<unsigned char> ParticleBytes()
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(particles);
    return std::vector<unsigned char>(p, p + sizeof particles);
}

bool CrowdIsFinite()
{
    for (const Particle& p : particles)
        if (!std::isfinite(p.pos.x) || !std::isfinite(p.pos.y) || !std::isfinite(p.pos.z))
            return false;
    return true;
}

} // namespace

TEST(RagdollFile, ShippedPoseIsTheDataFileByteForByte)
{
    std::ifstream in(FW_DATA_DIR "/ragdoll.rag", std::ios::binary);
    ASSERT_TRUE(in) << FW_DATA_DIR "/ragdoll.rag";
    std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(file, Bytes(ShippedValues()));
    EXPECT_EQ(file.size(), size_t(RagdollFileBytes));
}

TEST(RagdollFile, ShippedPoseKeepsItsHipsAndSitsAtRestLength)
{
    // Shoulder 2 on the side of hip 10: the first step leaves the hips alone.
    Vec4 a = ShippedPose[Shoulder1];
    a -= ShippedPose[Shoulder0];
    Vec4 b = ShippedPose[Hip1];
    b -= ShippedPose[Hip0];
    EXPECT_LE(a.Dot(b), 0.0f);

    // Linked roles sit 1.8 x their base length apart; only the thigh, whose
    // two links ask for different lengths, splits the difference.
    for (int k = 0; k < ParticlesPerPerson; ++k) {
        for (int j = 0; j < Skeleton[k].linkCount; ++j) {
            Vec4 d = ShippedPose[k];
            d -= ShippedPose[Skeleton[k].target[j]];
            float placed = d.Length() * TemplateScale;
            bool thigh = IsThigh(k, Skeleton[k].target[j]);
            EXPECT_NEAR(placed, Skeleton[k].restLength[j], thigh ? 1.6e-3f : 1e-6f) << k << " -> " << Skeleton[k].target[j];
        }
    }
}

TEST(RagdollFile, ExactFileFillsTheWholeTemplate)
{
    TempWorkDir dir;
    std::vector<float> pose = DistinctPose();
    WriteRag(Bytes(pose));
    ResetRound();
    ExpectTemplateIs(pose);

    // Read directly, the reader says so.
    Vec4 read[ParticlesPerPerson];
    EXPECT_EQ(ReadRagdollFile("ragdoll.rag", read), RagdollRead::Ok);
    EXPECT_EQ(read[14].w, pose[59]);
}

TEST(RagdollFile, ShortFileFillsOnlyItsStart)
{
    TempWorkDir dir;
    ResetRound(); // no file: the shipped pose
    std::vector<float> shipped = ShippedValues();
    ExpectTemplateIs(shipped);

    std::vector<float> pose = DistinctPose();
    std::vector<unsigned char> bytes = Bytes(pose);
    bytes.resize(100); // entries 0 to 5 and the x of entry 6
    WriteRag(bytes);
    ResetRound();

    std::vector<float> want = shipped;
    for (int i = 0; i < 25; ++i)
        want[i] = pose[i];
    ExpectTemplateIs(want);
    EXPECT_EQ(RagdollTemplate[6].x, pose[24]);
    EXPECT_EQ(RagdollTemplate[6].y, ShippedPose[6].y);
    EXPECT_TRUE(CrowdIsFinite());

    // A file cut inside a float changes only the whole floats before the cut
    // and the leading (low) bytes of the cut one.
    Vec4 held[ParticlesPerPerson] = {};
    bytes.resize(18);
    WriteRag(bytes);
    EXPECT_EQ(ReadRagdollFile("ragdoll.rag", held), RagdollRead::Ok);
    EXPECT_EQ(held[0].x, pose[0]);
    EXPECT_EQ(held[0].w, pose[3]);
    uint32_t got, fileBits;
    std::memcpy(&got, &held[1].x, 4);
    std::memcpy(&fileBits, &pose[4], 4);
    EXPECT_EQ(got, fileBits & 0xffffu);
    EXPECT_EQ(held[1].y, 0.0f);

    // An empty file changes nothing.
    WriteRag({});
    EXPECT_EQ(ReadRagdollFile("ragdoll.rag", held), RagdollRead::Ok);
    EXPECT_EQ(held[0].w, pose[3]);
    EXPECT_EQ(held[1].y, 0.0f);
}

TEST(RagdollFile, BytesAfterTheLastRecordAreNotRead)
{
    TempWorkDir dir;
    std::vector<float> pose = DistinctPose();
    std::vector<float> longer = pose;
    // A NaN and a huge value past offset 240 would be refused if they were read.
    longer.push_back(std::numeric_limits<float>::quiet_NaN());
    longer.push_back(1e30f);
    longer.push_back(5.0f);
    WriteRag(Bytes(longer));
    ResetRound();
    ExpectTemplateIs(pose);
}

TEST(RagdollFile, MissingFileGivesTheShippedPose)
{
    TempWorkDir dir;
    std::vector<float> pose = DistinctPose();
    WriteRag(Bytes(pose));
    ResetRound();
    ExpectTemplateIs(pose);

    std::remove("ragdoll.rag");
    ResetRound();
    ExpectTemplateIs(ShippedValues());

    // The reader itself leaves the pose alone when it cannot open the file.
    Vec4 held[ParticlesPerPerson];
    held[3] = Vec4(1, 2, 3, 4);
    EXPECT_EQ(ReadRagdollFile("ragdoll.rag", held), RagdollRead::Missing);
    EXPECT_EQ(held[3].z, 3.0f);
}

TEST(RagdollFile, DirectoryInPlaceOfTheFileChangesNothing)
{
    TempWorkDir dir;
    ResetRound();
    ASSERT_EQ(mkdir("ragdoll.rag", 0700), 0);
    ResetRound();
    ExpectTemplateIs(ShippedValues());
    EXPECT_TRUE(CrowdIsFinite());
}

TEST(RagdollFile, UnsoundValuesGiveTheShippedPose)
{
    TempWorkDir dir;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        int index; // float index in the file
        float value;
    };
    const Case cases[] = {
        {0, nan}, {13, inf}, {26, -inf}, {59, nan}, // 59: the w of the last record
        {5, 1000.5f}, {40, -1e6f}, {33, 3.0e38f},
    };
    for (const Case& c : cases) {
        std::vector<float> pose = DistinctPose();
        WriteRag(Bytes(pose));
        ResetRound(); // a sound file first, so the fallback shows
        ExpectTemplateIs(pose);

        pose[c.index] = c.value;
        WriteRag(Bytes(pose));
        ResetRound();
        SCOPED_TRACE(c.index);
        ExpectTemplateIs(ShippedValues());
        EXPECT_TRUE(CrowdIsFinite());

        Vec4 held[ParticlesPerPerson];
        EXPECT_EQ(ReadRagdollFile("ragdoll.rag", held), RagdollRead::Unsound);
        EXPECT_EQ(held[0].x, 0.0f);
    }

    // A large w is carried along and never used, so only its finiteness matters;
    // coordinates of exactly 1000 still make a pose.
    std::vector<float> pose = DistinctPose();
    pose[3] = 1e30f;
    pose[4] = -1000.0f;
    WriteRag(Bytes(pose));
    ResetRound();
    ExpectTemplateIs(pose);
}

TEST(RagdollFile, PelvisRecordDoesNotMoveTheCrowd)
{
    TempWorkDir dir;
    std::vector<float> pose = ShippedValues();
    WriteRag(Bytes(pose));
    ResetRound();
    std::vector<unsigned char> first = ParticleBytes();

    pose[4 * Pelvis + 0] = 0.5f;
    pose[4 * Pelvis + 1] = -0.25f;
    pose[4 * Pelvis + 2] = 7.0f;
    pose[4 * Pelvis + 3] = 9.0f;
    WriteRag(Bytes(pose));
    ResetRound();
    EXPECT_EQ(RagdollTemplate[Pelvis].z, 7.0f); // read...
    EXPECT_TRUE(ParticleBytes() == first); // ...and not used
}

TEST(RagdollFile, ZeroPoseIsTakenAndCrowdStaysFinite)
{
    // Every role on the pelvis: every link has length 0 at the start.
    TempWorkDir dir;
    std::vector<unsigned char> zeros(RagdollFileBytes, 0);
    WriteRag(zeros);
    ResetRound();
    EXPECT_EQ(RagdollTemplate[0].y, 0.0f);
    EXPECT_EQ(particles[15 * 7].pos.x, particles[15 * 7 + Pelvis].pos.x);
    EXPECT_TRUE(CrowdIsFinite());
}
