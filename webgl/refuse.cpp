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

void CheckWebGlErrors(const char* call)
{
    GLenum error = emscripten_glGetError();
    if (error != GL_NO_ERROR)
        Unsupported(call, "WebGL error", error);
}

} // namespace webgl

#endif
