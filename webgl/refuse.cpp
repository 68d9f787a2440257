#include "webgl/refuse.h"

#ifndef NDEBUG

#include <webgl/webgl1.h>

#include <cstdio>
#include <cstdlib>

namespace webgl {

void Unsupported(const char* call, const char* what, unsigned value)
{
    std::fprintf(stderr, "webgl layer: %s: %s 0x%04X is not supported\n", call, what, value);
    std::abort();
}

void Misused(const char* call, const char* why)
{
    std::fprintf(stderr, "webgl layer: %s: %s\n", call, why);
    std::abort();
}

// A lost context is the browser's doing, not a misuse: the layer makes
// everything again when it comes back.
void CheckWebGlErrors(const char* call)
{
    constexpr GLenum ContextLost = 0x9242;
    GLenum error = emscripten_glGetError();
    if (error != GL_NO_ERROR && error != ContextLost)
        Unsupported(call, "WebGL error", error);
}

} // namespace webgl

#endif
