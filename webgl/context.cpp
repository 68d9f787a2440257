#include "webgl/context.h"

#include <emscripten/html5_webgl.h>
#include <webgl/webgl1.h>

#include "webgl/shader.h"

namespace webgl {

namespace {

EMSCRIPTEN_WEBGL_CONTEXT_HANDLE Prepared = 0;
// The browser took the prepared context away: what was made in it is gone.
bool Lost = false;
ContextObjects Made = {};
unsigned Generations = 0;

void MakeObjects()
{
    Made = {};
    Made.generation = ++Generations;
    Made.program = BuildProgram();
    if (!Made.program)
        return;
    emscripten_glUseProgram(Made.program);
    Made.transform = emscripten_glGetUniformLocation(Made.program, "Transform");
    Made.textured = emscripten_glGetUniformLocation(Made.program, "Textured");
    Made.alphaTest = emscripten_glGetUniformLocation(Made.program, "AlphaTest");
    Made.alphaReference = emscripten_glGetUniformLocation(Made.program, "AlphaReference");
    emscripten_glUniform1i(emscripten_glGetUniformLocation(Made.program, "Face"), 0);

    emscripten_glGenBuffers(1, &Made.batchBuffer);
    emscripten_glGenBuffers(1, &Made.arrayBuffer);
    emscripten_glGenBuffers(1, &Made.indexBuffer);
    // WebGL has no default texture object; this one takes its place, bound
    // for good.
    emscripten_glGenTextures(1, &Made.texture);
    emscripten_glActiveTexture(GL_TEXTURE0);
    emscripten_glBindTexture(GL_TEXTURE_2D, Made.texture);
    emscripten_glGetIntegerv(GL_MAX_TEXTURE_SIZE, &Made.maxTextureSize);
}

} // namespace

bool ContextReady()
{
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE current = emscripten_webgl_get_current_context();
    if (current == 0)
        return false;
    if (emscripten_is_webgl_context_lost(current)) {
        Lost |= current == Prepared;
        return false;
    }
    if (current != Prepared || Lost) {
        // A context given back after a loss gets everything again, the
        // texture as it was last uploaded included.
        bool again = current == Prepared;
        Prepared = current;
        Lost = false;
        MakeObjects();
        if (again && Made.program)
            UploadKeptTexture();
    }
    return Made.program != 0;
}

const ContextObjects& Objects() { return Made; }

} // namespace webgl
