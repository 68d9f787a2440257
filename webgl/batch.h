#pragma once

// Immediate-mode geometry waits here, as triangles in clip space, until
// something needs it drawn: a different draw state, a clear, a texture
// upload, a vertex-array draw, glFlush or glFinish. So the hundreds of
// glBegin/glEnd pairs of a frame's text become a few draw calls.

namespace webgl {

struct BatchVertex {
    float position[4]; // clip space
    float colour[4];
    float texCoord[2];
};

// Records triangles under the current draw state, drawing what waits first
// if that was recorded under another.
void AppendTriangles(const BatchVertex* vertices, int count);

// Draws what waits, if a context is current, and forgets it.
void FlushBatch();

} // namespace webgl
