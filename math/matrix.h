#pragma once

#include <cmath>

// 16 floats in OpenGL's column-major order: row r, column c is m[4 * c + r].
struct Matrix {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    // Applied to an identity these give rotations; the other elements stay.
    void SetRotationX(float a)
    {
        m[5] = std::cos(a);
        m[6] = std::sin(a);
        m[9] = -std::sin(a);
        m[10] = std::cos(a);
    }

    void SetRotationY(float a)
    {
        m[0] = std::cos(a);
        m[2] = std::sin(a);
        m[8] = -std::sin(a);
        m[10] = std::cos(a);
    }

    // this = this * o; built in a temporary so a matrix may multiply itself.
    void operator*=(const Matrix& o)
    {
        float t[16];
        for (int c = 0; c < 4; ++c) {
            for (int r = 0; r < 4; ++r) {
                float sum = 0.0f;
                for (int k = 0; k < 4; ++k)
                    sum += m[4 * k + r] * o.m[4 * c + k];
                t[4 * c + r] = sum;
            }
        }
        for (int i = 0; i < 16; ++i)
            m[i] = t[i];
    }
};
