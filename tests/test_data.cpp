// The game's two data files: where they are found, how they are read, what stands in when they are missing or
// unsound. The fuzzers' corpora hold every malformed shape; here each rule once.
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

#include <gtest/gtest.h>

#include "render/bitmap.h"
#include "render/gl.h"
#include "render/texture.h"
#include "tests/headless_fixture.h"
#include "tests/test_files.h"
#include "world/data_files.h"
#include "world/particles.h"
#include "world/ragdoll_file.h"
#include "world/round.h"

namespace {

void Put(Bytes& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// Floats as a ragdoll file holds them: little-endian, as on every machine the game builds for.
Bytes FloatBytes(const float* values, size_t count)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(values);
    return Bytes(bytes, bytes + count * sizeof(float));
}
Bytes PoseBytes(const Vec4* pose) { return FloatBytes(&pose[0].x, 4 * ParticlesPerPerson); }

// A BMP file: the header fields the reader looks at, zeros up to offBits, then the pixels.
Bytes Bmp(int32_t width, int32_t height, const Bytes& pixels, uint16_t bits = 24, uint32_t compression = 0,
          uint32_t sizeImage = 0, uint32_t offBits = 54)
{
    Bytes out{'B', 'M'};
    for (uint32_t v : {uint32_t(54 + pixels.size()), 0u, offBits, 40u, uint32_t(width), uint32_t(height),
                       uint32_t(bits) << 16 | 1, compression, sizeImage, 0u, 0u, 0u, 0u})
        Put(out, v, 4);
    out.resize(std::max<size_t>(out.size(), offBits), 0);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// Distinct colours, the key at (1, 0): 24-bit rows bottom first, padded with 0xEE so that padding read as a
// pixel shows; or the packed RGBA the converter should make of them, the key clear.
Bytes Picture(int width, int height, bool rgba = false)
{
    Bytes out;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t c = x == 1 && y == 0 ? 0xFF00FF : uint32_t(0x102030 + x * 0x010203 + y * 0x300000);
            if (rgba)
                out.insert(out.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(c == 0xFF00FF ? 0 : 255)});
            else
                Put(out, c, 3);
        }
        out.resize(rgba ? out.size() : out.size() + size_t((4 - 3 * width % 4) % 4), 0xEE);
    }
    return out;
}

// The bytes read as a file: the converted picture, or if refused nothing, and nothing left allocated.
Bytes ReadAndConvert(const Bytes& file)
{
    WriteFile("test.bmp", file);
    unsigned char* info = reinterpret_cast<unsigned char*>(1); // must be cleared on failure
    unsigned char* pixels = ReadBitmapFile(std::fopen("test.bmp", "rb"), &info);
    EXPECT_EQ(!pixels, !info);
    unsigned char* rgba = pixels ? BitmapToRgba(info, pixels) : nullptr;
    Bytes out = rgba ? Bytes(rgba, rgba + size_t(BitmapWidth(info)) * size_t(BitmapHeight(info)) * 4) : Bytes();
    for (unsigned char* block : {rgba, pixels, info})
        std::free(block);
    return out;
}

class DataFiles : public HeadlessGlTest {
protected:
    TempWorkDir dir;
};

} // namespace

TEST_F(DataFiles, TheFirstFolderThatHasAFileGivesItAndANowhereFileIsReportedOnce)
{
    const std::string here = fs::current_path().string(), bin = here + "/game/bin";
    SetProgramPath((bin + "/").c_str()); // the folder alone, as SDL gives it
    const std::vector<std::string> folders = DataFolders();
    SetProgramPath((bin + "/fusewalker").c_str());
    ASSERT_TRUE(folders.size() == 3u && DataFolders() == folders);
    EXPECT_TRUE(folders[0] == here && folders[1] == bin);
    fs::create_directories(bin);
    WriteFile(bin + "/a", {1});
    WriteFile("a", {0});
    WriteFile(bin + "/b", {1});
    testing::internal::CaptureStderr();
    std::FILE* files[] = {OpenDataFile("a", "plain"), OpenDataFile("b", "plain"), OpenDataFile("d", "plain"),
                          OpenDataFile("d", "plain")};
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "fusewalker: d is in none of \"" + folders[0] + "\", \"" +
                                                           folders[1] + "\", \"" + folders[2] + "\"; plain\n");
    EXPECT_TRUE(std::fgetc(files[0]) == 0 && std::fgetc(files[1]) == 1 && !files[2] && !files[3]);
    std::fclose(files[0]);
    std::fclose(files[1]);
    SetProgramPath(nullptr);
    EXPECT_EQ(DataFolders(), std::vector<std::string>{here});
}

TEST_F(DataFiles, ARagdollFileFillsThePoseFromItsStartAndAnUnsoundOneGivesTheShippedPose)
{
    std::ifstream in(FW_DATA_DIR "/ragdoll.rag", std::ios::binary);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), PoseBytes(ShippedPose))
        << "the shipped pose is the data file";
    // A distinct value in every float, then a NaN refused if read past the 15th record; 18 bytes end mid-float.
    std::vector<float> distinct(4 * ParticlesPerPerson + 1, std::numeric_limits<float>::quiet_NaN());
    for (size_t i = 0; i + 1 < distinct.size(); ++i)
        distinct[i] = 0.01f * float(i + 1);
    const Bytes file = FloatBytes(distinct.data(), distinct.size());
    for (size_t length : {18, 100, 244}) {
        std::remove("ragdoll.rag");
        ResetRound(); // no file: the shipped pose
        WriteFile("ragdoll.rag", Bytes(file.begin(), file.begin() + long(length)));
        ResetRound();
        Bytes want = PoseBytes(ShippedPose);
        std::copy(file.begin(), file.begin() + long(std::min<size_t>(length, RagdollFileBytes)), want.begin());
        EXPECT_EQ(PoseBytes(RagdollTemplate), want) << length << " bytes";
    }
    // Float index and value; -1 removes the file, -2 puts a folder there (it opens, reads nothing, the pose
    // stays); w need only be finite.
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        int index;
        float value;
        bool taken;
    } cases[] = {{-1, 0, false},    {-2, 0, true},       {0, distinct.back(), false}, {13, inf, false},
                 {59, -inf, false}, {5, 1000.5f, false}, {4, -1000.0f, true},         {3, 1e30f, true}};
    for (const auto& c : cases) {
        std::vector<float> pose(distinct.begin(), distinct.end() - 1);
        WriteFile("ragdoll.rag", FloatBytes(pose.data(), pose.size()));
        ResetRound(); // a sound file first, so the fallback shows
        std::remove("ragdoll.rag");
        pose[size_t(std::max(c.index, 0))] = c.index >= 0 ? c.value : pose[0];
        if (c.index >= 0)
            WriteFile("ragdoll.rag", FloatBytes(pose.data(), pose.size()));
        ASSERT_TRUE(c.index != -2 || mkdir("ragdoll.rag", 0700) == 0);
        ResetRound();
        Bytes want = c.taken ? FloatBytes(pose.data(), pose.size()) : PoseBytes(ShippedPose);
        EXPECT_EQ(PoseBytes(RagdollTemplate), want) << c.index;
        rmdir("ragdoll.rag");
    }
    // The pelvis record is read, but the pelvis stands on its grid point whatever it says.
    std::remove("ragdoll.rag");
    ResetRound();
    std::vector<Particle> first(particles, particles + ParticleCount);
    Vec4 pose[ParticlesPerPerson];
    std::copy(ShippedPose, ShippedPose + ParticlesPerPerson, pose);
    pose[Pelvis] = Vec4(0.5f, -0.25f, 7.0f, 9.0f);
    WriteFile("ragdoll.rag", PoseBytes(pose));
    ResetRound();
    EXPECT_TRUE(RagdollTemplate[Pelvis].z == 7.0f && std::memcmp(first.data(), particles, sizeof particles) == 0);
}

TEST_F(DataFiles, BitmapsConvertToPackedRgbaWithOnlyTheExactKeyClearOrAreRefused)
{
    // Rows needing 3, 1 and no padding; an image size announced past the rows; a version 5 header.
    for (auto [width, height, sizeImage, offBits] : {std::tuple{3, 2, 0u, 54u}, {5, 3, 0u, 54u}, {4, 1, 0u, 54u},
                                                      {2, 2, 20u, 54u}, {2, 1, 0u, 14u + 124u}}) {
        Bytes rows = Picture(width, height);
        rows.resize(sizeImage ? sizeImage : rows.size(), 0x11);
        EXPECT_EQ(ReadAndConvert(Bmp(width, height, rows, 24, 0, sizeImage, offBits)), Picture(width, height, true))
            << width << " x " << height;
    }
    // Only (255, 0, 255) is clear; its neighbours in any channel are not.
    Bytes row;
    for (uint32_t c : {0xFF00FF, 0xFF01FF, 0xFE00FF, 0xFF00FE})
        Put(row, c, 3);
    Bytes rgba = ReadAndConvert(Bmp(4, 1, row));
    EXPECT_TRUE(rgba.size() == 16 && rgba[3] == 0 && rgba[7] == 255 && rgba[11] == 255 && rgba[15] == 255);
    // 8-bit with a colour table, 32-bit, and compressed: transparent black.
    EXPECT_EQ(ReadAndConvert(Bmp(3, 2, Bytes(8, 0x7F), 8, 0, 0, 54 + 1024)), Bytes(24, 0));
    EXPECT_EQ(ReadAndConvert(Bmp(3, 2, Bytes(24, 0x7F), 32)), Bytes(24, 0));
    EXPECT_EQ(ReadAndConvert(Bmp(3, 2, Bytes(24, 0x7F), 24, 1)), Bytes(24, 0));

    // Refused: cut short, bfOffBits inside the info header or past the end, biSizeImage short of the rows or far
    // past the end, empty or top-down, a side past 32768, sizes a wrapped product makes small, bits past 32.
    const Bytes whole = Bmp(4, 4, Picture(4, 4));
    std::vector<Bytes> refused = {{}, Bytes(whole.begin(), whole.begin() + 53), Bytes(whole.begin(), whole.end() - 1),
                                  Bmp(4, 4, Picture(4, 4), 24, 0, 47), Bmp(4, 4, Picture(4, 4), 24, 0, 0xFFFFFFFFu),
                                  Bmp(2, 2, Bytes(16, 0), 0, 0, 16), Bmp(2, 2, Bytes(16, 0), 33, 0, 16)};
    for (uint32_t offBits : {13u, 53u, 54u + 49u, 0xFFFFFFFFu}) {
        refused.push_back(whole);
        std::memcpy(&refused.back()[10], &offBits, 4);
    }
    for (auto [width, height] : {std::pair{0, 1}, {1, 0}, {4, -4}, {1, 32769}, {INT32_MAX, 1}, {INT32_MIN, 1}, {65536, 65536}})
        refused.push_back(Bmp(width, height, Bytes(size_t(std::min(std::abs(int64_t(height)), int64_t(40000))) * 4, 0x55)));
    for (const Bytes& file : refused)
        EXPECT_TRUE(ReadAndConvert(file).empty()) << "file " << &file - refused.data() << " of " << file.size() << " bytes";
    EXPECT_EQ(ReadAndConvert(whole), Picture(4, 4, true));
}

TEST_F(DataFiles, TheFaceTextureIsTheConvertedPictureWhateverTheUnpackStateOrOneWhiteTexel)
{
    auto texels = [] {
        GLint width = 0, height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        Bytes out(size_t(width) * size_t(height) * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
        return out;
    };
    glDisable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 1);
    WriteFile("face.bmp", Bmp(3, 5, Picture(3, 5))); // rows of 12 bytes, sides no power of two
    LoadFaceTexture();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(texels(), Picture(3, 5, true));
    // Empty, top-down, or wider than the driver takes: one white texel.
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    for (const Bytes& file : {Bytes(), Bmp(4, -4, Picture(4, 4)), Bmp(maxSize * 2, 1, Bytes(size_t(maxSize) * 6, 1))}) {
        WriteFile("face.bmp", file);
        LoadFaceTexture();
        EXPECT_EQ(texels(), Bytes(4, 255)) << file.size() << " bytes";
    }
}
