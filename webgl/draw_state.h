#pragma once

#include "webgl/fixed_state.h"
#include "webgl/matrix.h"

namespace webgl {

// Brings WebGL to this state and the shader to this transform, setting
// only what differs from what it was last given in the same context, and
// everything in a new one. Needs ContextReady().
void ApplyDrawState(const DrawState& state, const Matrix4& transform);

} // namespace webgl
