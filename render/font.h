#pragma once

#include <cstdint>

#include "math/vec4.h"

// Segment bits of a glyph cell: a seven-segment display plus a centre stroke.
enum Segment : int {
    TopBar = 1,
    UpperLeft = 2,
    MiddleBar = 4,
    UpperRight = 8,
    LowerLeft = 16,
    BottomBar = 32,
    LowerRight = 64,
    CentreStroke = 128,
};

constexpr int DigitGlyphCount = 10;
constexpr int LetterGlyphCount = 27; // 'a' to '{'

extern int32_t DigitGlyphs[DigitGlyphCount];
extern int32_t LetterGlyphs[LetterGlyphCount];

void InitFontTables();

// Draws one segment of the cell centred at position, as one GL_LINES pair.
void DrawSegment(int segment, Vec4 position, float size);

// Text runs leftwards from position.x, 1.5 * size per character. Characters
// without a glyph (anything but space and 'a' to '{') leave an empty cell.
void DrawString(const char* text, int length, Vec4 position, float size);

// Decimal digits of value, least significant rightmost; nothing below 1.
void DrawNumber(int value, Vec4 position, float size);

// Distance between the anchors of the outer digits DrawNumber would draw.
float NumberWidth(int value, float size);

// Sets the current drawing colour (text takes whatever colour is current).
void SetColour(float r, float g, float b, float a);
