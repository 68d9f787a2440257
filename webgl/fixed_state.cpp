#include "webgl/fixed_state.h"

namespace webgl {

namespace {

// OpenGL's initial state; the viewport, which OpenGL starts at the
// window's size, stays empty until the game's glViewport.
FixedState InitialState()
{
    FixedState state = {};
    state.draw.depthFunc = GL_LESS;
    state.draw.blendSource = GL_ONE;
    state.draw.blendDestination = GL_ZERO;
    state.draw.alphaFunc = GL_ALWAYS;
    for (float& c : state.colour)
        c = 1.0f;
    state.matrixMode = GL_MODELVIEW;
    state.modelView = Identity();
    state.projection = Identity();
    state.lineWidth = 1.0f;
    state.clearDepth = 1.0f;
    return state;
}

Matrix4 Combined = Identity();
bool CombinedStale = false;

} // namespace

FixedState State = InitialState();

bool operator==(const DrawState& a, const DrawState& b)
{
    for (int i = 0; i < 4; ++i)
        if (a.viewport[i] != b.viewport[i])
            return false;
    return a.depthTest == b.depthTest && a.depthFunc == b.depthFunc && a.blend == b.blend &&
           a.blendSource == b.blendSource && a.blendDestination == b.blendDestination && a.alphaTest == b.alphaTest &&
           a.alphaFunc == b.alphaFunc && a.alphaReference == b.alphaReference && a.texture == b.texture;
}

Matrix4& CurrentMatrix() { return State.matrixMode == GL_PROJECTION ? State.projection : State.modelView; }

const Matrix4& ModelViewProjection()
{
    if (CombinedStale) {
        Combined = Multiply(State.projection, State.modelView);
        CombinedStale = false;
    }
    return Combined;
}

void MatricesChanged() { CombinedStale = true; }

} // namespace webgl
