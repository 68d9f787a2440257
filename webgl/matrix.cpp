#include "webgl/matrix.h"

namespace webgl {

Matrix4 Identity()
{
    Matrix4 identity = {};
    for (int i = 0; i < 4; ++i)
        identity.m[5 * i] = 1.0f;
    return identity;
}

Matrix4 Multiply(const Matrix4& a, const Matrix4& b)
{
    Matrix4 product;
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a.m[4 * k + row] * b.m[4 * column + k];
            product.m[4 * column + row] = sum;
        }
    }
    return product;
}

void Transform(const Matrix4& m, float x, float y, float z, float* out)
{
    for (int row = 0; row < 4; ++row)
        out[row] = m.m[row] * x + m.m[4 + row] * y + m.m[8 + row] * z + m.m[12 + row];
}

} // namespace webgl
