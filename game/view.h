#pragma once

#include "math/matrix.h"

// The one fixed view: the identity but for element 11, which makes a point's
// w grow with its depth (1 + 1.3 z), so farther things are drawn smaller.
extern const Matrix ViewMatrix;

// Lasting render state, the face texture, a new round, the square viewport
// and the projection. Runs at window creation and on every size message.
void SetUpRendering();

// Start of every frame: clear to black and load the view.
void SetUpScene();
