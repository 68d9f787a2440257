// The projection and model-view matrices, kept on the CPU: immediate-mode
// vertices are transformed as they come, and a vertex-array draw hands the
// product to the shader.
#include <GL/gl.h>

#include "webgl/fixed_state.h"
#include "webgl/matrix.h"
#include "webgl/refuse.h"

using webgl::State;

void glMatrixMode(GLenum mode)
{
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION) {
        webgl::Unsupported("glMatrixMode", "mode", mode);
        return;
    }
    State.matrixMode = mode;
}

void glLoadIdentity()
{
    webgl::CurrentMatrix() = webgl::Identity();
    webgl::MatricesChanged();
}

void glMultMatrixf(const GLfloat* m)
{
    webgl::Matrix4 factor;
    for (int i = 0; i < 16; ++i)
        factor.m[i] = m[i];
    webgl::Matrix4& current = webgl::CurrentMatrix();
    current = webgl::Multiply(current, factor);
    webgl::MatricesChanged();
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble nearVal, GLdouble farVal)
{
    if (left == right || bottom == top || nearVal == farVal) {
        webgl::Misused("glOrtho", "an empty volume");
        return;
    }
    webgl::Matrix4 ortho = webgl::Identity();
    ortho.m[0] = float(2.0 / (right - left));
    ortho.m[5] = float(2.0 / (top - bottom));
    ortho.m[10] = float(-2.0 / (farVal - nearVal));
    ortho.m[12] = float(-(right + left) / (right - left));
    ortho.m[13] = float(-(top + bottom) / (top - bottom));
    ortho.m[14] = float(-(farVal + nearVal) / (farVal - nearVal));
    webgl::Matrix4& current = webgl::CurrentMatrix();
    current = webgl::Multiply(current, ortho);
    webgl::MatricesChanged();
}
