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

// Lines drawn, through feedback mode, and the leftmost x any of them reaches:
// with identity matrices and a viewport of 2 x 2 at (-1, -1), the x given.
// Drawn with texturing on and depth testing off, which the font undoes.
template <class Draw>
std::pair<int, float> Lines(Draw draw)
{
    glViewport(-1, -1, 2, 2);
    for (GLenum matrix : {GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(matrix);
        glLoadIdentity();
    }
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    static std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_2D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    GLint count = glRenderMode(GL_RENDER);
    EXPECT_TRUE(!glIsEnabled(GL_TEXTURE_2D) && glIsEnabled(GL_DEPTH_TEST));
    std::pair<int, float> lines = {count / 5, 1e9f}; // a token and two vertices each
    for (GLint i = 0; i < count; i += 5)
        lines.second = std::min({lines.second, buffer[size_t(i) + 1], buffer[size_t(i) + 3]});
    return lines;
}

class VectorFont : public HeadlessGlTest {};

} // namespace

TEST_F(VectorFont, CharactersWithoutAGlyphKeepTheirCellAndNumbersBelowOneDrawNothing)
{
    InitFontTables();
    // Cell n is centred 1.5 sizes n left of the anchor, half a size wide.
    const struct {
        std::string text;
        int length, lines, leftmostCell;
    } texts[] = {{"aZb", 3, 6 + 5, 3}, {"xy", 1, 3, 1}, {"abc", -4, 0, 0}, {std::string("Z09|}~\x7f\x01\xc8\xff a"), 12, 6, 1}};
    for (const auto& t : texts) {
        auto [lines, left] = Lines([&t] { DrawString(t.text.data(), t.length, Vec4(0.875f, 0.125f, 0.5f), 0.05f); });
        EXPECT_EQ(lines, t.lines) << t.text;
        EXPECT_TRUE(lines == 0 || std::fabs(left - (0.85f - 0.075f * float(t.leftmostCell))) < 1e-5f) << t.text;
    }
    EXPECT_EQ(Lines([] { DrawString(nullptr, 0, Vec4(), 0.05f); }).first, 0);
    // Segments per digit: 0 has six, 1 two, ... 8 all seven; ten digits and more.
    const int segments[10] = {6, 2, 5, 5, 4, 5, 5, 3, 7, 5};
    for (int value : {1005, INT_MAX, 0, INT_MIN}) {
        int lines = 0;
        for (int v = value; v > 0; v /= 10)
            lines += segments[v % 10];
        EXPECT_EQ(Lines([value] { DrawNumber(value, Vec4(), 0.05f); }).first, lines) << value;
    }
    // The distance between the outer digit anchors; -1.5 sizes below one.
    for (auto [value, width] : {std::pair{9, 0.0f}, {10, 0.15f}, {INT_MAX, 1.35f}, {0, -0.15f}})
        EXPECT_NEAR(NumberWidth(value, 0.1f), width, 1e-6f) << value;
}
