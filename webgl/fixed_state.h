#pragma once

// The fixed-function state the game's calls set. It lives here, on the
// CPU, and reaches WebGL only when something is drawn or cleared.
#include <GL/gl.h>

#include "webgl/matrix.h"

namespace webgl {

// Everything that decides how recorded geometry is drawn: geometry recorded
// under equal states can go to WebGL in one draw call.
struct DrawState {
    GLint viewport[4];
    bool depthTest;
    GLenum depthFunc;
    bool blend;
    GLenum blendSource;
    GLenum blendDestination;
    bool alphaTest;
    GLenum alphaFunc; // GL_GREATER, or GL_ALWAYS
    float alphaReference;
    bool texture;
};

bool operator==(const DrawState& a, const DrawState& b);
inline bool operator!=(const DrawState& a, const DrawState& b) { return !(a == b); }

struct ClientArray {
    bool enabled;
    GLint size;
    GLsizei stride; // in bytes, never 0
    const void* pointer;
};

struct FixedState {
    DrawState draw;
    float colour[4];
    float texCoord[2];
    GLenum matrixMode;
    Matrix4 modelView;
    Matrix4 projection;
    float lineWidth;
    float clearColour[4];
    float clearDepth;
    ClientArray vertexArray;
    ClientArray texCoordArray;
};

extern FixedState State;

// The matrix glMatrixMode selects.
Matrix4& CurrentMatrix();
// Projection x model-view, remade only after either changes.
const Matrix4& ModelViewProjection();
void MatricesChanged();

} // namespace webgl
