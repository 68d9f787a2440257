#include "render/font.h"

#include "render/gl.h"

int32_t DigitGlyphs[DigitGlyphCount];
int32_t LetterGlyphs[LetterGlyphCount];

namespace {

constexpr int32_t DigitMasks[DigitGlyphCount] = {123, 72, 61, 109, 78, 103, 118, 73, 127, 79};
constexpr int32_t LetterMasks[LetterGlyphCount] = {
    125, 118, 51, 124, 63, 23, 111, 86, 18, 104, 94, 50, 219, 91,
    123, 31, 79, 19, 103, 54, 122, 122, 250, 161, 78, 61, 32,
};

void DrawMask(int32_t mask, Vec4 anchor, float size)
{
    for (int bit = 1; bit <= CentreStroke; bit <<= 1) {
        if (mask & bit)
            DrawSegment(bit, anchor, size);
    }
}

// Number of decimal digits DrawNumber draws; 64-bit so ten-digit values
// cannot overflow the place value.
int DigitCount(int value)
{
    int count = 0;
    for (int64_t place = 1; place <= value; place *= 10)
        ++count;
    return count;
}

} // namespace

void InitFontTables()
{
    for (int i = 0; i < DigitGlyphCount; ++i)
        DigitGlyphs[i] = DigitMasks[i];
    for (int i = 0; i < LetterGlyphCount; ++i)
        LetterGlyphs[i] = LetterMasks[i];
}

void DrawSegment(int segment, Vec4 position, float size)
{
    float x = position.x;
    float y = position.y;
    float z = position.z;
    float half = size * 0.5f;
    float x0, y0, x1, y1;
    switch (segment) {
    case TopBar: x0 = x - half; y0 = y + size; x1 = x + half; y1 = y + size; break;
    case UpperLeft: x0 = x - half; y0 = y + size; x1 = x - half; y1 = y; break;
    case MiddleBar: x0 = x - half; y0 = y; x1 = x + half; y1 = y; break;
    case UpperRight: x0 = x + half; y0 = y + size; x1 = x + half; y1 = y; break;
    case LowerLeft: x0 = x - half; y0 = y; x1 = x - half; y1 = y - size; break;
    case BottomBar: x0 = x - half; y0 = y - size; x1 = x + half; y1 = y - size; break;
    case LowerRight: x0 = x + half; y0 = y; x1 = x + half; y1 = y - size; break;
    case CentreStroke: x0 = x; y0 = y + size; x1 = x; y1 = y - size; break;
    default: return;
    }
    glBegin(GL_LINES);
    glVertex3f(x0, y0, z);
    glVertex3f(x1, y1, z);
    glEnd();
}

void DrawString(const char* text, int length, Vec4 position, float size)
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    for (int k = 1; k <= length; ++k) {
        unsigned char c = static_cast<unsigned char>(text[length - k]);
        if (c < 'a' || c >= 'a' + LetterGlyphCount)
            continue;
        Vec4 anchor(position.x - 1.5f * size * float(k), position.y, position.z);
        DrawMask(LetterGlyphs[c - 'a'], anchor, size);
    }
    glEnable(GL_DEPTH_TEST);
}

void DrawNumber(int value, Vec4 position, float size)
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    Vec4 anchor = position;
    for (int64_t place = 1; place <= value; place *= 10) {
        anchor.x -= 1.5f * size;
        int digit = int(value % (10 * place) / place);
        DrawMask(DigitGlyphs[digit], anchor, size);
    }
    glEnable(GL_DEPTH_TEST);
}

float NumberWidth(int value, float size)
{
    float width = 0.0f;
    for (int i = DigitCount(value); i > 0; --i)
        width += 1.5f * size;
    return width - 1.5f * size;
}

void SetColour(float r, float g, float b, float a) { glColor4f(r, g, b, a); }
