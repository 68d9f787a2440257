#include "webgl/batch.h"

#include <webgl/webgl1.h>

#include <cstddef>
#include <vector>

#include "webgl/context.h"
#include "webgl/draw_state.h"
#include "webgl/fixed_state.h"
#include "webgl/refuse.h"
#include "webgl/shader.h"

namespace webgl {

namespace {

std::vector<BatchVertex> Pending;
DrawState PendingState;
// The vertices are in clip space already.
const Matrix4 NoTransform = Identity();

void Point(GLuint attribute, int size, size_t offset)
{
    emscripten_glEnableVertexAttribArray(attribute);
    emscripten_glVertexAttribPointer(attribute, size, GL_FLOAT, GL_FALSE, sizeof(BatchVertex),
                                     reinterpret_cast<const void*>(offset));
}

void Draw()
{
    const ContextObjects& objects = Objects();
    ApplyDrawState(PendingState, NoTransform);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, objects.batchBuffer);
    emscripten_glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(Pending.size() * sizeof(BatchVertex)), Pending.data(),
                            GL_STREAM_DRAW);
    Point(PositionAttribute, 4, offsetof(BatchVertex, position));
    Point(ColourAttribute, 4, offsetof(BatchVertex, colour));
    Point(TexCoordAttribute, 2, offsetof(BatchVertex, texCoord));
    emscripten_glDrawArrays(GL_TRIANGLES, 0, GLsizei(Pending.size()));
    CheckWebGlErrors("immediate-mode drawing");
}

} // namespace

void AppendTriangles(const BatchVertex* vertices, int count)
{
    if (!Pending.empty() && PendingState != State.draw)
        FlushBatch();
    if (Pending.empty())
        PendingState = State.draw;
    Pending.insert(Pending.end(), vertices, vertices + count);
}

void FlushBatch()
{
    if (Pending.empty())
        return;
    if (ContextReady())
        Draw();
    Pending.clear();
}

} // namespace webgl
