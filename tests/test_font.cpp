#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/font.h"
#include "render/gl.h"
#include "tests/gl_recorder.h"
#include "tests/headless_fixture.h"

namespace {

// The glyphs these tests draw, as the font is designed: segments named by
// where they sit in the cell, in the order the font draws them.
enum : int { Top = 1, UL = 2, Mid = 4, UR = 8, LL = 16, Bottom = 32, LR = 64, Centre = 128 };
const int Digits[10] = {Top | UL | UR | LL | Bottom | LR, UR | LR, Top | Mid | UR | LL | Bottom,
                        Top | Mid | UR | Bottom | LR, UL | Mid | UR | LR, Top | UL | Mid | Bottom | LR,
                        UL | Mid | LL | Bottom | LR, Top | UR | LR, Top | UL | Mid | UR | LL | Bottom | LR,
                        Top | UL | Mid | UR | LR};

int LetterMask(char c)
{
    switch (c) {
    case 'a': return Top | Mid | UR | LL | Bottom | LR;
    case 'b': return UL | Mid | LL | Bottom | LR;
    case 'c': return Top | UL | LL | Bottom;
    case 'e': return Top | UL | Mid | UR | LL | Bottom;
    case 'o': return Top | UL | UR | LL | Bottom | LR;
    case 'r': return Top | UL | LL;
    case 's': return Top | UL | Mid | Bottom | LR;
    case 'x': return Top | Bottom | Centre;
    default: return 0; // no glyph, or not one these tests use
    }
}

// Segment ends in sizes from the cell's anchor: x0, y0, x1, y1.
const float SegmentEnds[8][4] = {{-0.5f, 1, 0.5f, 1}, {-0.5f, 1, -0.5f, 0}, {-0.5f, 0, 0.5f, 0},
                                 {0.5f, 1, 0.5f, 0},  {-0.5f, 0, -0.5f, -1}, {-0.5f, -1, 0.5f, -1},
                                 {0.5f, 0, 0.5f, -1}, {0, 1, 0, -1}};

struct Segment {
    float x0, y0, x1, y1;
};

// What text should draw: the last character first, 1.5 sizes left of the
// anchor, each one a cell further left.
std::vector<Segment> Expected(const std::string& text, bool number, Vec4 at, float size)
{
    std::vector<Segment> out;
    for (size_t k = 1; k <= text.size(); ++k) {
        char c = text[text.size() - k];
        int mask = number ? Digits[c - '0'] : LetterMask(c);
        float x = at.x - 1.5f * size * float(k);
        for (int bit = 0; bit < 8; ++bit)
            if (mask & (1 << bit)) {
                const float* e = SegmentEnds[bit];
                out.push_back({x + e[0] * size, at.y + e[1] * size, x + e[2] * size, at.y + e[3] * size});
            }
    }
    return out;
}

class VectorFont : public HeadlessGlTest {
protected:
    void SetUp() override
    {
        HeadlessGlTest::SetUp();
        InitFontTables();
    }

    // Records draw, begun with the state opposite to what text leaves, and
    // expects exactly the segments of want at depth z in the caller's green.
    static void Expect(void (*draw)(), const std::vector<Segment>& want, float z, const std::string& what)
    {
        SCOPED_TRACE(what);
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_DEPTH_TEST);
        glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
        Fed fed = RecordFeedback(draw);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        ASSERT_EQ(fed.lines.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i) {
            const FedPrimitive& l = fed.lines[i];
            EXPECT_TRUE(Near(l[0], want[i].x0, want[i].y0, z, 2e-5f) && Near(l[1], want[i].x1, want[i].y1, z, 2e-5f))
                << "line " << i << ": " << l[0] << " - " << l[1];
            EXPECT_TRUE(l[0].r == 0.0f && l[0].g == 1.0f && l[0].b == 0.0f) << "line " << i;
        }
    }
};

const Vec4 Anchor(0.875f, 0.125f, 0.5f);
std::string text;
int length, value;
void DrawText() { DrawString(text.data(), length, Anchor, 0.05f); }
void DrawValue() { DrawNumber(value, Anchor, 0.05f); }

} // namespace

TEST_F(VectorFont, TextRunsLeftFromItsAnchorAndCharactersWithoutAGlyphKeepTheirCell)
{
    // Spaces and characters without a glyph keep their cell and draw nothing;
    // only length characters are read.
    const struct {
        std::string text, drawn;
        int length;
    } cases[] = {{"score", "score", 5},
                 {"aZb", "a b", 3},
                 {"xy", "x", 1},
                 {"abc", "", -4},
                 {std::string("AZ09|}~`\x7f\x01\xc8\xff"), "", 12}};
    for (const auto& c : cases) {
        text = c.text;
        length = c.length;
        Expect(DrawText, Expected(c.drawn, false, Anchor, 0.05f), Anchor.z, c.text);
    }
    Expect([] { DrawString(nullptr, 0, Anchor, 0.05f); }, {}, Anchor.z, "null text");
}

TEST_F(VectorFont, NumbersDrawEveryDigitLeastSignificantFirstAndNothingBelowOne)
{
    for (int v : {7, 10, 1005, 1234567890, INT_MAX, 0, -7, INT_MIN}) {
        value = v;
        Expect(DrawValue, Expected(v > 0 ? std::to_string(v) : "", true, Anchor, 0.05f), Anchor.z, std::to_string(v));
    }
    // The distance between the outer digit anchors; -1.5 sizes below one.
    const struct {
        int value;
        float size, width;
    } widths[] = {{9, 0.1f, 0.0f},   {10, 0.1f, 0.15f},         {999, 0.1f, 0.3f},
                  {123, 0.2f, 0.6f}, {INT_MAX, 0.05f, 0.675f}, {0, 0.1f, -0.15f}};
    for (const auto& w : widths)
        EXPECT_NEAR(NumberWidth(w.value, w.size), w.width, 1e-6f) << w.value;
}
