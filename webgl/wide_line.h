#pragma once

#include <GL/gl.h>

#include "webgl/batch.h"

namespace webgl {

// WebGL draws every line one pixel wide, so each segment becomes the quad
// that covers the pixels desktop OpenGL gives an aliased line: the width
// rounded to a whole number of window pixels (at least one), an x-major
// line widened along y and a y-major one along x, and along its length the
// pixels that the line leaves by their diamonds. The segment is clipped to
// the view volume first, as a line is. Writes two triangles (6 vertices) to
// out, or nothing when no pixel is covered; returns the count.
int WideLine(BatchVertex a, BatchVertex b, float width, const GLint* viewport, BatchVertex* out);

} // namespace webgl
