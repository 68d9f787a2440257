#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/gl.h"
#include "render/texture.h"
#include "tests/bitmap_files.h"
#include "tests/headless_fixture.h"
#include "tests/temp_work_dir.h"

namespace {

class FaceTexture : public HeadlessGlTest {
protected:
    TempWorkDir dir; // the game reads face.bmp from the current directory

    static void Load() { LoadFaceTexture(); }

    static void WriteFace(const BmpFields& f, const std::vector<unsigned char>& pixels)
    {
        WriteBytes("face.bmp", MakeBmp(f, pixels));
    }

    static int Level0(GLenum what)
    {
        GLint value = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &value);
        return value;
    }

    // The texture image as RGBA bytes, first row first.
    static std::vector<unsigned char> Texels()
    {
        std::vector<unsigned char> out(size_t(Level0(GL_TEXTURE_WIDTH)) * size_t(Level0(GL_TEXTURE_HEIGHT)) * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
        return out;
    }

    void ExpectWhiteTexel(const char* why)
    {
        EXPECT_EQ(Level0(GL_TEXTURE_WIDTH), 1) << why;
        EXPECT_EQ(Level0(GL_TEXTURE_HEIGHT), 1) << why;
        EXPECT_EQ(Texels(), (std::vector<unsigned char>{255, 255, 255, 255})) << why;
    }
};

uint32_t Pattern(int x, int y)
{
    if (x == 1 && y == 0)
        return 0xFF00FF; // the colour key
    return uint32_t(0x204060 + 0x101010 * x + 0x030303 * y);
}

} // namespace

TEST_F(FaceTexture, UploadsTheConvertedImageWithItsSettings)
{
    BmpFields f;
    f.width = 4;
    f.height = 2;
    WriteFace(f, Rows24(4, 2, Pattern));
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 3);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 1);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 1);
    Load();

    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0) << "the default texture object";
    ASSERT_EQ(Level0(GL_TEXTURE_WIDTH), 4);
    ASSERT_EQ(Level0(GL_TEXTURE_HEIGHT), 2);
    std::vector<unsigned char> texels = Texels();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            uint32_t rgb = Pattern(x, y);
            const unsigned char* t = &texels[(y * 4 + x) * 4];
            EXPECT_EQ(t[0], (rgb >> 16) & 0xff) << x << "," << y;
            EXPECT_EQ(t[1], (rgb >> 8) & 0xff) << x << "," << y;
            EXPECT_EQ(t[2], rgb & 0xff) << x << "," << y;
            EXPECT_EQ(t[3], rgb == 0xFF00FF ? 0 : 255) << x << "," << y;
        }

    GLint value = 0;
    for (GLenum wrap : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T}) {
        glGetTexParameteriv(GL_TEXTURE_2D, wrap, &value);
        EXPECT_EQ(value, GL_REPEAT);
    }
    for (GLenum filter : {GL_TEXTURE_MAG_FILTER, GL_TEXTURE_MIN_FILTER}) {
        glGetTexParameteriv(GL_TEXTURE_2D, filter, &value);
        EXPECT_EQ(value, GL_LINEAR);
    }
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    EXPECT_EQ(value, GL_MODULATE);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 4);
    for (GLenum zero : {GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS}) {
        glGetIntegerv(zero, &value);
        EXPECT_EQ(value, 0);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FaceTexture, EveryLoadReplacesTheImage)
{
    BmpFields f;
    f.width = 4;
    f.height = 2;
    WriteFace(f, Rows24(4, 2, Pattern));
    Load();
    f.width = 2;
    f.height = 1;
    WriteFace(f, Rows24(2, 1, [](int, int) { return uint32_t(0x112233); }));
    Load();
    ASSERT_EQ(Level0(GL_TEXTURE_WIDTH), 2);
    EXPECT_EQ(Texels(), (std::vector<unsigned char>{0x11, 0x22, 0x33, 255, 0x11, 0x22, 0x33, 255}));
}

TEST_F(FaceTexture, MissingOrRefusedFileGivesOneWhiteTexel)
{
    Load();
    ExpectWhiteTexel("no face.bmp");

    BmpFields f;
    f.width = 4;
    f.height = 4;
    std::vector<unsigned char> bytes = MakeBmp(f, Rows24(4, 4, Pattern));
    bytes.resize(bytes.size() - 1);
    WriteBytes("face.bmp", bytes);
    Load();
    ExpectWhiteTexel("truncated face.bmp");

    f.height = -4;
    WriteFace(f, Rows24(4, 4, Pattern));
    Load();
    ExpectWhiteTexel("top-down face.bmp");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FaceTexture, OtherFormatsUploadTransparentBlack)
{
    BmpFields f;
    f.width = 2;
    f.height = 2;
    f.bitCount = 32;
    WriteFace(f, std::vector<unsigned char>(16, 0x80));
    Load();
    ASSERT_EQ(Level0(GL_TEXTURE_WIDTH), 2);
    ASSERT_EQ(Level0(GL_TEXTURE_HEIGHT), 2);
    EXPECT_EQ(Texels(), std::vector<unsigned char>(16, 0));
}

TEST_F(FaceTexture, SizesOtherThanPowersOfTwoAreKeptWhereTheDriverTakesThem)
{
    BmpFields f;
    f.width = 3;
    f.height = 5;
    WriteFace(f, Rows24(3, 5, Pattern));
    Load();
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    if (std::atoi(version) >= 2) {
        EXPECT_EQ(Level0(GL_TEXTURE_WIDTH), 3);
        EXPECT_EQ(Level0(GL_TEXTURE_HEIGHT), 5);
        EXPECT_EQ(Texels()[4 * 4], (Pattern(1, 1) >> 16) & 0xff) << "second row starts after three texels";
    }
}

TEST_F(FaceTexture, ImagesBeyondTheDriversLimitFallBackToWhite)
{
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    // The reader takes sides up to 32768; a driver limit at or above that
    // leaves nothing between the two to try.
    if (maxSize >= 32768)
        GTEST_SKIP() << "GL_MAX_TEXTURE_SIZE is " << maxSize;
    BmpFields f;
    f.width = maxSize * 2;
    f.height = 1;
    WriteFace(f, Rows24(f.width, 1, [](int, int) { return uint32_t(0x336699); }));
    Load();
    ExpectWhiteTexel("wider than GL_MAX_TEXTURE_SIZE");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FaceTexture, ShippedFaceIsAPowerOfTwoInFiveBands)
{
    std::filesystem::copy_file(std::filesystem::path(FW_DATA_DIR) / "face.bmp", "face.bmp");
    LoadFaceTexture();
    int width = Level0(GL_TEXTURE_WIDTH), height = Level0(GL_TEXTURE_HEIGHT);
    ASSERT_GT(width, 1);
    EXPECT_EQ(width & (width - 1), 0);
    EXPECT_EQ(height & (height - 1), 0);
    std::vector<unsigned char> texels = Texels();
    // The body bands have see-through texels around their shapes; the room
    // band is opaque throughout.
    for (int band = 0; band < 5; ++band) {
        int keyed = 0, total = 0;
        for (int y = 0; y < height; ++y)
            for (int x = band * width / 5 + 1; x < (band + 1) * width / 5 - 1; ++x, ++total)
                keyed += texels[(size_t(y) * width + x) * 4 + 3] == 0;
        if (band < 4) {
            EXPECT_GT(keyed, total / 20) << "band " << band;
            EXPECT_LT(keyed, total * 3 / 4) << "band " << band;
        } else {
            EXPECT_EQ(keyed, 0) << "room band";
        }
    }
}
