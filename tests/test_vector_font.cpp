#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "app/headless.h"
#include "render/font.h"
#include "render/gl.h"
#include "tests/expected_glyphs.h"
#include "tests/headless_fixture.h"
#include "tests/line_recorder.h"

namespace {

class VectorFont : public HeadlessGlTest {
protected:
    void SetUp() override
    {
        HeadlessGlTest::SetUp();
        UseIdentityView(Width, Height);
        InitFontTables();
        glColor4f(1, 1, 1, 1);
    }

    std::vector<RecordedLine> String(const char* text, int length, Vec4 at, float size)
    {
        return RecordLines(Width, Height, [&] { DrawString(text, length, at, size); });
    }

    std::vector<RecordedLine> Number(int value, Vec4 at, float size)
    {
        return RecordLines(Width, Height, [&] { DrawNumber(value, at, size); });
    }

    // What a string of lower-case letters and spaces should draw.
    static std::vector<RecordedLine> ExpectedString(const char* text, Vec4 at, float size)
    {
        std::vector<RecordedLine> out;
        int length = int(std::strlen(text));
        for (int k = 1; k <= length; ++k) {
            char c = text[length - k];
            if (c != ' ')
                expected::AppendGlyph(out, expected::Letters[c - 'a'], at.x - 1.5f * size * float(k), at.y, at.z, size);
        }
        return out;
    }

    // Texturing on and depth test off, the opposite of what text leaves.
    static void SetOppositeState()
    {
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_DEPTH_TEST);
    }

    static void ExpectTextState()
    {
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        glDisable(GL_TEXTURE_2D);
    }

    static bool Lit(const std::vector<uint8_t>& px, int x, int y)
    {
        std::vector<uint8_t> p = Pixel(px, x, y);
        return p[0] > 200 && p[1] < 50 && p[2] < 50;
    }
};

} // namespace

TEST_F(VectorFont, ScoreLabelRunsLeftFromItsAnchor)
{
    Vec4 at(0.95f, 0.5f, 0.25f);
    std::vector<RecordedLine> lines = String("score", 5, at, 0.05f);
    ExpectSameLines(lines, ExpectedString("score", at, 0.05f));
    ASSERT_FALSE(lines.empty());
    // The last letter is drawn first and nearest the anchor: the top bar of
    // "e" is centred on 0.875, that of "s" (drawn last, five segments) on 0.575.
    EXPECT_NEAR((lines.front().x0 + lines.front().x1) * 0.5f, 0.875f, RecordTolerance);
    const RecordedLine& sTop = lines[lines.size() - 5];
    EXPECT_NEAR((sTop.x0 + sTop.x1) * 0.5f, 0.575f, RecordTolerance);
    EXPECT_NEAR(sTop.y0, 0.55f, RecordTolerance);
    EXPECT_NEAR(lines.front().z0, 0.25f, RecordTolerance);
    // The right edge of the text is a whole size left of the anchor.
    float right = -2.0f;
    for (const RecordedLine& l : lines)
        right = std::max(right, std::max(l.x0, l.x1));
    EXPECT_NEAR(right, 0.9f, RecordTolerance);
}

TEST_F(VectorFont, EveryLetterGlyph)
{
    for (char c = 'a'; c <= '{'; ++c) {
        SCOPED_TRACE(c);
        Vec4 at(0.5f, 0.25f, 0.0f);
        std::vector<RecordedLine> want;
        expected::AppendGlyph(want, expected::Letters[c - 'a'], 0.5f - 0.3f, 0.25f, 0.0f, 0.2f);
        ExpectSameLines(String(&c, 1, at, 0.2f), want);
    }
    // Shapes shared on purpose.
    EXPECT_EQ(LetterGlyphs['u' - 'a'], LetterGlyphs['v' - 'a']);
    EXPECT_EQ(LetterGlyphs['o' - 'a'], DigitGlyphs[0]);
    EXPECT_EQ(LetterGlyphs['s' - 'a'], DigitGlyphs[5]);
}

TEST_F(VectorFont, EveryDigitGlyph)
{
    for (int d = 1; d <= 9; ++d) {
        SCOPED_TRACE(d);
        std::vector<RecordedLine> want;
        expected::AppendGlyph(want, expected::Digits[d], 0.5f - 0.3f, 0.0f, 0.0f, 0.2f);
        ExpectSameLines(Number(d, Vec4(0.5f, 0.0f, 0.0f), 0.2f), want);
    }
    // 6 has no top bar and 9 no bottom bar.
    EXPECT_EQ(DigitGlyphs[6] & TopBar, 0);
    EXPECT_EQ(DigitGlyphs[9] & BottomBar, 0);
}

TEST_F(VectorFont, SpacesAndEmptyTextTakeCellsButDrawNothing)
{
    SetOppositeState();
    EXPECT_TRUE(String("   ", 3, Vec4(0.5f, 0.0f, 0.0f), 0.1f).empty());
    ExpectTextState();

    SetOppositeState();
    EXPECT_TRUE(String("abc", 0, Vec4(0.5f, 0.0f, 0.0f), 0.1f).empty());
    ExpectTextState();
    EXPECT_TRUE(String(nullptr, 0, Vec4(), 0.1f).empty());
    EXPECT_TRUE(String("abc", -4, Vec4(), 0.1f).empty());

    // "a b": the space keeps its cell between the letters.
    Vec4 at(0.5f, 0.0f, 0.0f);
    ExpectSameLines(String("a b", 3, at, 0.1f), ExpectedString("a b", at, 0.1f));
    // Only length characters are read: the text need not be terminated.
    const char unterminated[2] = {'x', 'y'};
    ExpectSameLines(String(unterminated, 1, at, 0.1f), ExpectedString("x", at, 0.1f));
}

TEST_F(VectorFont, CharactersWithoutAGlyphLeaveAnEmptyCell)
{
    const char none[] = {'A', 'Z', '0', '9', '|', '}', '~', '`', '\x7f', '\x01', char(200), char(255)};
    for (char c : none) {
        SCOPED_TRACE(int(static_cast<unsigned char>(c)));
        EXPECT_TRUE(String(&c, 1, Vec4(0.5f, 0.0f, 0.0f), 0.1f).empty());
    }
    // Their cell still counts: "aZb" draws "a" two cells left of "b".
    Vec4 at(0.5f, 0.0f, 0.0f);
    ExpectSameLines(String("aZb", 3, at, 0.1f), ExpectedString("a b", at, 0.1f));
}

TEST_F(VectorFont, NumbersDrawEveryDigitLeastSignificantFirst)
{
    Vec4 at(0.75f, 0.125f, 0.5f);
    const float s = 0.05f;
    std::vector<RecordedLine> seven = Number(7, at, s);
    ExpectSameLines(seven, expected::Number(7, at.x, at.y, at.z, s));
    // One cell, centred 1.5 sizes left of the anchor: the top bar of "7".
    ASSERT_EQ(seven.size(), 3u);
    EXPECT_NEAR((seven[0].x0 + seven[0].x1) * 0.5f, 0.675f, RecordTolerance);

    std::vector<RecordedLine> ten = Number(10, at, s);
    ExpectSameLines(ten, expected::Number(10, at.x, at.y, at.z, s));
    ASSERT_EQ(ten.size(), 8u); // "0" (6 segments) first and rightmost, then "1"
    EXPECT_NEAR(ten[7].x0, 0.6f + 0.025f, RecordTolerance);

    for (int value : {100, 1005, 90210, 1000000, 1234567890}) {
        SCOPED_TRACE(value);
        ExpectSameLines(Number(value, at, s), expected::Number(value, at.x, at.y, at.z, s));
    }
}

TEST_F(VectorFont, TenDigitNumbersKeepAllTheirDigits)
{
    Vec4 at(0.875f, 0.0f, 0.0f);
    std::vector<RecordedLine> lines = Number(INT_MAX, at, 0.05f);
    ExpectSameLines(lines, expected::Number(2147483647, at.x, at.y, at.z, 0.05f));
    // The leftmost segment is that of the tenth cell.
    float left = 2.0f;
    for (const RecordedLine& l : lines)
        left = std::min(left, std::min(l.x0, l.x1));
    EXPECT_NEAR(left, 0.875f - 10 * 0.075f - 0.025f, RecordTolerance);
    EXPECT_NEAR(NumberWidth(INT_MAX, 0.05f), 9 * 0.075f, 1e-6f);
    EXPECT_NEAR(NumberWidth(1000000000, 0.05f), 9 * 0.075f, 1e-6f);
}

TEST_F(VectorFont, NothingBelowOne)
{
    for (int value : {0, -1, -7, INT_MIN}) {
        SCOPED_TRACE(value);
        SetOppositeState();
        EXPECT_TRUE(Number(value, Vec4(0.5f, 0.0f, 0.0f), 0.1f).empty());
        ExpectTextState();
        EXPECT_FLOAT_EQ(NumberWidth(value, 0.1f), -0.15f);
    }
}

TEST_F(VectorFont, NumberWidthSpansTheOuterDigitAnchors)
{
    EXPECT_EQ(NumberWidth(1, 0.1f), 0.0f);
    EXPECT_EQ(NumberWidth(9, 0.1f), 0.0f);
    EXPECT_FLOAT_EQ(NumberWidth(10, 0.1f), 0.15f);
    EXPECT_FLOAT_EQ(NumberWidth(99, 0.1f), 0.15f);
    EXPECT_FLOAT_EQ(NumberWidth(100, 0.1f), 0.3f);
    EXPECT_FLOAT_EQ(NumberWidth(999, 0.1f), 0.3f);
    EXPECT_FLOAT_EQ(NumberWidth(1000, 0.1f), 0.45f);
    EXPECT_FLOAT_EQ(NumberWidth(123, 0.2f), 0.6f);
    // The score screen centres with it: outer anchors straddle -0.025.
    for (int score : {7, 42, 9005}) {
        float x = NumberWidth(score, 0.1f) * 0.5f + 0.125f;
        std::vector<RecordedLine> lines = Number(score, Vec4(x, 0.0f, 0.0f), 0.1f);
        float left = 2.0f, right = -2.0f;
        for (const RecordedLine& l : lines) {
            left = std::min(left, std::min(l.x0, l.x1));
            right = std::max(right, std::max(l.x0, l.x1));
        }
        // Cells reach half a size past their anchors on both sides.
        EXPECT_NEAR((left + right) * 0.5f, -0.025f, 1e-4f) << score;
    }
}

TEST_F(VectorFont, TextTakesTheCallersColourAndLeavesItsState)
{
    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    SetOppositeState();
    std::vector<RecordedLine> lines = String("ab", 2, Vec4(0.5f, 0.0f, 0.0f), 0.1f);
    ExpectTextState();
    ASSERT_FALSE(lines.empty());
    for (const RecordedLine& l : lines) {
        EXPECT_EQ(l.r, 0.0f);
        EXPECT_EQ(l.g, 1.0f);
    }
    SetOppositeState();
    Number(42, Vec4(0.5f, 0.0f, 0.0f), 0.1f);
    ExpectTextState();
}

TEST_F(VectorFont, SegmentsOneByOne)
{
    SetOppositeState();
    for (int bit = 1; bit <= 128; bit <<= 1) {
        SCOPED_TRACE(bit);
        std::vector<RecordedLine> want;
        expected::AppendGlyph(want, bit, 0.25f, -0.25f, 0.5f, 0.4f);
        ExpectSameLines(RecordLines(Width, Height, [&] { DrawSegment(bit, Vec4(0.25f, -0.25f, 0.5f), 0.4f); }), want);
    }
    for (int other : {0, 3, 129, 256, -1}) {
        SCOPED_TRACE(other);
        EXPECT_TRUE(RecordLines(Width, Height, [&] { DrawSegment(other, Vec4(), 0.4f); }).empty());
    }
    // A single segment leaves every state as it found it.
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    glDisable(GL_TEXTURE_2D);
}

TEST_F(VectorFont, DrawnDigitsAndLettersReachThePixels)
{
    // Anchors on pixel centres: x = y = 1/256 is the centre of pixel 128.
    const float c = 1.0f / 256.0f;
    const float s = 0.25f; // 32 pixels; half a cell is 16
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1, 0, 0, 1);
    DrawNumber(80, Vec4(c + 1.5f * s, c, 0.0f), s); // "0" centred on pixel 128, "8" on pixel 80
    glFinish();
    std::vector<uint8_t> px = HeadlessReadPixels();
    // "0": both sides, top and bottom, no middle bar.
    EXPECT_TRUE(Lit(px, 112, 140));
    EXPECT_TRUE(Lit(px, 144, 110));
    EXPECT_TRUE(Lit(px, 128, 160));
    EXPECT_TRUE(Lit(px, 128, 96));
    EXPECT_FALSE(Lit(px, 128, 128));
    EXPECT_FALSE(Lit(px, 128, 140));
    // "8": a middle bar, and holes above and below it.
    EXPECT_TRUE(Lit(px, 80, 128));
    EXPECT_TRUE(Lit(px, 64, 150));
    EXPECT_TRUE(Lit(px, 96, 100));
    EXPECT_FALSE(Lit(px, 80, 140));
    EXPECT_FALSE(Lit(px, 80, 112));
    // Nothing right of the anchor's cell or beyond the number's top.
    EXPECT_FALSE(Lit(px, 150, 128));
    EXPECT_FALSE(Lit(px, 128, 170));

    glClear(GL_COLOR_BUFFER_BIT);
    DrawString("x", 1, Vec4(c + 1.5f * s, c, 0.0f), s);
    glFinish();
    px = HeadlessReadPixels();
    EXPECT_TRUE(Lit(px, 128, 140)); // the centre stroke
    EXPECT_TRUE(Lit(px, 128, 110));
    EXPECT_TRUE(Lit(px, 120, 160)); // top bar
    EXPECT_TRUE(Lit(px, 136, 96)); // bottom bar
    EXPECT_FALSE(Lit(px, 112, 140)); // no side strokes
    EXPECT_FALSE(Lit(px, 144, 110));
    EXPECT_FALSE(Lit(px, 120, 128)); // no middle bar
}
