#include <vector>

#include <gtest/gtest.h>

#include "render/gl.h"
#include "render/texture.h"
#include "tests/headless_fixture.h"
#include "tests/test_files.h"

namespace {

class FaceTexture : public HeadlessGlTest {
protected:
    TempWorkDir dir; // the game reads face.bmp from the current directory

    static int Level0(GLenum what)
    {
        GLint value = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &value);
        return value;
    }

    // The texture image as RGBA bytes, first row first.
    static Bytes Texels()
    {
        Bytes out(size_t(Level0(GL_TEXTURE_WIDTH)) * size_t(Level0(GL_TEXTURE_HEIGHT)) * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
        return out;
    }

    static void LoadFace(int width, int height, uint32_t (*colour)(int x, int y))
    {
        WriteFile("face.bmp", MakeBmp(BmpFields{width, height}, Rows24(width, height, colour)));
        LoadFaceTexture();
    }
};

uint32_t Pattern(int x, int y) { return x == 1 && y == 0 ? 0xFF00FF : uint32_t(0x204060 + 0x101010 * x + 0x030303 * y); }

Bytes PatternTexels(int width, int height)
{
    Bytes out;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t c = Pattern(x, y);
            out.insert(out.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(c == 0xFF00FF ? 0 : 255)});
        }
    return out;
}

const Bytes OneWhiteTexel = {255, 255, 255, 255};

} // namespace

TEST_F(FaceTexture, UploadsTheConvertedImageWhateverTheUnpackStateAndSize)
{
    glDisable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 3);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 1);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 1);
    LoadFace(4, 2, Pattern);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    ASSERT_EQ(Level0(GL_TEXTURE_WIDTH), 4);
    EXPECT_EQ(Texels(), PatternTexels(4, 2));
    // Every load replaces the image; sizes other than powers of two are kept
    // (Mesa gives OpenGL 2 or later, which takes them).
    LoadFace(3, 5, Pattern);
    ASSERT_EQ(Level0(GL_TEXTURE_WIDTH), 3);
    EXPECT_EQ(Texels(), PatternTexels(3, 5));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FaceTexture, MissingRefusedOrTooLargeFileGivesOneWhiteTexel)
{
    LoadFaceTexture();
    EXPECT_EQ(Texels(), OneWhiteTexel) << "no face.bmp";

    Bytes truncated = MakeBmp(BmpFields{4, 4}, Rows24(4, 4, Pattern));
    truncated.pop_back();
    WriteFile("face.bmp", truncated);
    LoadFaceTexture();
    EXPECT_EQ(Texels(), OneWhiteTexel) << "truncated face.bmp";

    LoadFace(4, -4, Pattern);
    EXPECT_EQ(Texels(), OneWhiteTexel) << "top-down face.bmp";

    // The reader takes sides up to 32768; a driver that takes as much leaves nothing to try.
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (maxSize < 32768) {
        LoadFace(maxSize * 2, 1, [](int, int) { return uint32_t(0x336699); });
        EXPECT_EQ(Texels(), OneWhiteTexel) << "wider than GL_MAX_TEXTURE_SIZE " << maxSize;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
