#pragma once

#include "webgl/fixed_state.h"
#include "webgl/matrix.h"

namespace webgl {

// Brings WebGL to this state and the shader to this transform, setting
// only what differs from what it was last given. Needs ContextReady().
void ApplyDrawState(const DrawState& state, const Matrix4& transform);

// What WebGL holds is unknown: a new context.
void ForgetAppliedState();

} // namespace webgl
