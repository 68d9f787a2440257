#pragma once

#include <cmath>

// Squared lengths below this count as zero length.
constexpr float LengthEpsilon = 1e-9f;

// Position, velocity or text anchor. Only x, y and z take part in any
// operation; w rides along with copies and nothing reads it.
struct Vec4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    Vec4() = default;
    Vec4(float x_, float y_, float z_, float w_ = 0.0f) : x(x_), y(y_), z(z_), w(w_) {}

    // Summed from z to x, so every build adds in the same order.
    float Dot(Vec4 o) const { return (z * o.z + y * o.y) + x * o.x; }

    Vec4 Cross(Vec4 o) const
    {
        return Vec4(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x);
    }

    void operator-=(Vec4 o)
    {
        x -= o.x;
        y -= o.y;
        z -= o.z;
    }

    void operator+=(Vec4 o)
    {
        x += o.x;
        y += o.y;
        z += o.z;
    }

    void operator*=(float s)
    {
        x *= s;
        y *= s;
        z *= s;
    }

    float LengthSquared() const { return x * x + y * y + z * z; }

    float Length() const
    {
        float sq = LengthSquared();
        if (sq < LengthEpsilon)
            return 0.0f;
        return std::sqrt(sq);
    }

    void Normalize()
    {
        float sq = LengthSquared();
        if (sq < LengthEpsilon)
            return;
        *this *= 1.0f / std::sqrt(sq);
    }
};
