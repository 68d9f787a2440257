// The vector font at its edges: characters without a glyph, lengths of zero
// or less, numbers below one and of ten digits. (The docs pictures show the
// glyphs themselves in use.)
#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/font.h"
#include "render/gl.h"
#include "tests/headless_fixture.h"

namespace {

struct Drawn {
    int lines;
    float left; // leftmost x of any line, in the caller's units
};

// What draw hands OpenGL, through feedback mode: with identity matrices and a
// viewport of 2 x 2 at (-1, -1), a line's window x is the x it was given.
// Drawn with texturing on and depth testing off, which the font must undo.
template <class Draw>
Drawn Record(Draw draw)
{
    glViewport(-1, -1, 2, 2);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    static std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_2D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    GLint count = glRenderMode(GL_RENDER);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    Drawn drawn = {0, 1e9f};
    for (GLint i = 0; i < count; i += 5) {
        EXPECT_TRUE(GLint(buffer[size_t(i)]) == GL_LINE_TOKEN || GLint(buffer[size_t(i)]) == GL_LINE_RESET_TOKEN);
        drawn.lines += 1;
        drawn.left = std::min({drawn.left, buffer[size_t(i) + 1], buffer[size_t(i) + 3]});
    }
    return drawn;
}

class VectorFont : public HeadlessGlTest {
protected:
    void SetUp() override
    {
        HeadlessGlTest::SetUp();
        InitFontTables();
    }
};

const Vec4 Anchor(0.875f, 0.125f, 0.5f);

} // namespace

TEST_F(VectorFont, CharactersWithoutAGlyphKeepTheirCellAndOnlyLengthCharactersAreRead)
{
    // Lines of the glyphs drawn, and where the leftmost cell's left edge lies:
    // cell n is centred 1.5 sizes n left of the anchor, half a size wide each side.
    const struct {
        std::string text;
        int length, lines, leftmostCell;
    } cases[] = {{"score", 5, 24, 5},
                 {"aZb", 3, 6 + 5, 3},
                 {"xy", 1, 3, 1},
                 {"abc", 0, 0, 0},
                 {"abc", -4, 0, 0},
                 {std::string("AZ09|}~`\x7f\x01\xc8\xff a"), 14, 6, 1}};
    for (const auto& c : cases) {
        Drawn drawn = Record([&c] { DrawString(c.text.data(), c.length, Anchor, 0.05f); });
        EXPECT_EQ(drawn.lines, c.lines) << c.text;
        if (c.lines > 0) {
            EXPECT_NEAR(drawn.left, Anchor.x - 0.075f * float(c.leftmostCell) - 0.025f, 1e-5f) << c.text;
        }
    }
    EXPECT_EQ(Record([] { DrawString(nullptr, 0, Anchor, 0.05f); }).lines, 0);
}

TEST_F(VectorFont, NumbersDrawEveryDigitAndNothingBelowOne)
{
    // Segments per digit: 0 has six, 1 two, ... 8 all seven.
    const int segments[10] = {6, 2, 5, 5, 4, 5, 5, 3, 7, 5};
    for (int value : {7, 10, 1005, 1234567890, INT_MAX, 0, -7, INT_MIN}) {
        int lines = 0, digits = 0;
        for (int v = value; v > 0; v /= 10, ++digits)
            lines += segments[v % 10];
        Drawn drawn = Record([value] { DrawNumber(value, Anchor, 0.05f); });
        EXPECT_EQ(drawn.lines, lines) << value;
        if (digits > 0) {
            EXPECT_LE(drawn.left, Anchor.x - 0.075f * float(digits) + 0.025f + 1e-5f) << value;
        }
    }
    // The distance between the outer digit anchors; -1.5 sizes below one.
    const struct {
        int value;
        float size, width;
    } widths[] = {{9, 0.1f, 0.0f}, {10, 0.1f, 0.15f}, {999, 0.1f, 0.3f}, {INT_MAX, 0.05f, 0.675f}, {0, 0.1f, -0.15f}};
    for (const auto& w : widths)
        EXPECT_NEAR(NumberWidth(w.value, w.size), w.width, 1e-6f) << w.value;
}
