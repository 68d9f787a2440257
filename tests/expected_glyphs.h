#pragma once

#include <cstdint>
#include <vector>

#include "tests/line_recorder.h"

// What the vector font ought to draw, worked out from the glyph set the game
// is designed with (segments named by where they sit in the cell), for
// comparison with what the font really sends to OpenGL.
namespace expected {

enum : int { Top = 1, UL = 2, Mid = 4, UR = 8, LL = 16, Bottom = 32, LR = 64, Centre = 128 };

constexpr int Digits[10] = {
    Top | UL | UR | LL | Bottom | LR, // 0
    UR | LR, // 1
    Top | Mid | UR | LL | Bottom, // 2
    Top | Mid | UR | Bottom | LR, // 3
    UL | Mid | UR | LR, // 4
    Top | UL | Mid | Bottom | LR, // 5
    UL | Mid | LL | Bottom | LR, // 6
    Top | UR | LR, // 7
    Top | UL | Mid | UR | LL | Bottom | LR, // 8
    Top | UL | Mid | UR | LR, // 9
};

// 'a' to '{'
constexpr int Letters[27] = {
    Top | Mid | UR | LL | Bottom | LR, // a
    UL | Mid | LL | Bottom | LR, // b
    Top | UL | LL | Bottom, // c
    Mid | UR | LL | Bottom | LR, // d
    Top | UL | Mid | UR | LL | Bottom, // e
    Top | UL | Mid | LL, // f
    Top | UL | Mid | UR | Bottom | LR, // g
    UL | Mid | LL | LR, // h
    UL | LL, // i
    UR | Bottom | LR, // j
    UL | Mid | UR | LL | LR, // k
    UL | LL | Bottom, // l
    Top | UL | UR | LL | LR | Centre, // m
    Top | UL | UR | LL | LR, // n
    Top | UL | UR | LL | Bottom | LR, // o
    Top | UL | Mid | UR | LL, // p
    Top | UL | Mid | UR | LR, // q
    Top | UL | LL, // r
    Top | UL | Mid | Bottom | LR, // s
    UL | Mid | LL | Bottom, // t
    UL | UR | LL | Bottom | LR, // u
    UL | UR | LL | Bottom | LR, // v
    UL | UR | LL | Bottom | LR | Centre, // w
    Top | Bottom | Centre, // x
    UL | Mid | UR | LR, // y
    Top | Mid | UR | LL | Bottom, // z
    Bottom, // {
};

inline RecordedLine Line(float x0, float y0, float x1, float y1, float z)
{
    return RecordedLine{x0, y0, z, x1, y1, z, 0, 0, 0, 0};
}

// The segments of one cell centred at (x, y, z), in ascending bit order.
inline void AppendGlyph(std::vector<RecordedLine>& out, int mask, float x, float y, float z, float s)
{
    float h = s * 0.5f;
    if (mask & Top)
        out.push_back(Line(x - h, y + s, x + h, y + s, z));
    if (mask & UL)
        out.push_back(Line(x - h, y + s, x - h, y, z));
    if (mask & Mid)
        out.push_back(Line(x - h, y, x + h, y, z));
    if (mask & UR)
        out.push_back(Line(x + h, y + s, x + h, y, z));
    if (mask & LL)
        out.push_back(Line(x - h, y, x - h, y - s, z));
    if (mask & Bottom)
        out.push_back(Line(x - h, y - s, x + h, y - s, z));
    if (mask & LR)
        out.push_back(Line(x + h, y, x + h, y - s, z));
    if (mask & Centre)
        out.push_back(Line(x, y + s, x, y - s, z));
}

// A number as the font draws it: least significant digit first and rightmost.
inline std::vector<RecordedLine> Number(int64_t value, float x, float y, float z, float s)
{
    std::vector<RecordedLine> out;
    for (int cell = 1; value > 0; ++cell, value /= 10)
        AppendGlyph(out, Digits[value % 10], x - 1.5f * s * float(cell), y, z, s);
    return out;
}

} // namespace expected
