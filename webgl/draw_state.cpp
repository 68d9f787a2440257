#include "webgl/draw_state.h"

#include <webgl/webgl1.h>

#include <cstring>

#include "webgl/context.h"

namespace webgl {

namespace {

unsigned AppliedGeneration = 0; // the context Applied was given to
DrawState Applied;
Matrix4 AppliedTransform;

void Switch(GLenum capability, bool on)
{
    if (on)
        emscripten_glEnable(capability);
    else
        emscripten_glDisable(capability);
}

// The shader's alpha test is GL_GREATER's; GL_ALWAYS is no test at all.
bool TestsAlpha(const DrawState& s) { return s.alphaTest && s.alphaFunc == GL_GREATER; }

} // namespace

void ApplyDrawState(const DrawState& s, const Matrix4& transform)
{
    const ContextObjects& objects = Objects();
    const DrawState& a = Applied;
    bool all = objects.generation != AppliedGeneration;
    if (all || std::memcmp(s.viewport, a.viewport, sizeof s.viewport) != 0)
        emscripten_glViewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
    if (all || s.depthTest != a.depthTest)
        Switch(GL_DEPTH_TEST, s.depthTest);
    if (all || s.depthFunc != a.depthFunc)
        emscripten_glDepthFunc(s.depthFunc);
    if (all || s.blend != a.blend)
        Switch(GL_BLEND, s.blend);
    if (all || s.blendSource != a.blendSource || s.blendDestination != a.blendDestination)
        emscripten_glBlendFunc(s.blendSource, s.blendDestination);
    if (all || s.texture != a.texture)
        emscripten_glUniform1i(objects.textured, s.texture);
    if (all || TestsAlpha(s) != TestsAlpha(a))
        emscripten_glUniform1i(objects.alphaTest, TestsAlpha(s));
    if (all || s.alphaReference != a.alphaReference)
        emscripten_glUniform1f(objects.alphaReference, s.alphaReference);
    if (all || std::memcmp(transform.m, AppliedTransform.m, sizeof transform.m) != 0)
        emscripten_glUniformMatrix4fv(objects.transform, 1, GL_FALSE, transform.m);
    Applied = s;
    AppliedTransform = transform;
    AppliedGeneration = objects.generation;
}

} // namespace webgl
