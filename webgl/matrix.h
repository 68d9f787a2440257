#pragma once

// 4 x 4 matrices in OpenGL's column-major order, in single precision as a
// driver keeps them.

namespace webgl {

struct Matrix4 {
    float m[16];
};

Matrix4 Identity();
// a x b: b is applied first.
Matrix4 Multiply(const Matrix4& a, const Matrix4& b);
// m x (x, y, z, 1) into out[4].
void Transform(const Matrix4& m, float x, float y, float z, float* out);

} // namespace webgl
