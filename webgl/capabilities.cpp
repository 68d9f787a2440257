// glEnable and the per-fragment state: kept on the CPU and handed to WebGL
// with the next drawing (see batch.h), so a switch back and forth with
// nothing drawn between costs nothing.
#include <GL/gl.h>

#include <algorithm>

#include "webgl/fixed_state.h"
#include "webgl/refuse.h"

namespace {

using webgl::State;

bool* Capability(GLenum capability)
{
    switch (capability) {
    case GL_DEPTH_TEST: return &State.draw.depthTest;
    case GL_BLEND: return &State.draw.blend;
    case GL_ALPHA_TEST: return &State.draw.alphaTest;
    case GL_TEXTURE_2D: return &State.draw.texture;
    default: return nullptr;
    }
}

// OpenGL 1.x's blend factors, all of which WebGL 2 has.
bool IsBlendFactor(GLenum factor)
{
    return factor == GL_ZERO || factor == GL_ONE || (factor >= GL_SRC_COLOR && factor <= GL_SRC_ALPHA_SATURATE);
}

} // namespace

void glEnable(GLenum capability)
{
    if (bool* on = Capability(capability))
        *on = true;
    else
        webgl::Unsupported("glEnable", "capability", capability);
}

void glDisable(GLenum capability)
{
    if (bool* on = Capability(capability))
        *on = false;
    else
        webgl::Unsupported("glDisable", "capability", capability);
}

void glDepthFunc(GLenum func)
{
    if (func < GL_NEVER || func > GL_ALWAYS) {
        webgl::Unsupported("glDepthFunc", "function", func);
        return;
    }
    State.draw.depthFunc = func;
}

void glBlendFunc(GLenum source, GLenum destination)
{
    if (!IsBlendFactor(source) || !IsBlendFactor(destination)) {
        webgl::Unsupported("glBlendFunc", "factor", IsBlendFactor(source) ? destination : source);
        return;
    }
    State.draw.blendSource = source;
    State.draw.blendDestination = destination;
}

// The shader tests alpha as GL_GREATER does; GL_ALWAYS, OpenGL's initial
// function, passes everything.
void glAlphaFunc(GLenum func, GLclampf reference)
{
    if (func != GL_GREATER && func != GL_ALWAYS) {
        webgl::Unsupported("glAlphaFunc", "function", func);
        return;
    }
    State.draw.alphaFunc = func;
    State.draw.alphaReference = std::min(1.0f, std::max(0.0f, reference));
}

// Texture coordinates are always interpolated in perspective, which is what
// GL_NICEST asks for and the other modes allow.
void glHint(GLenum target, GLenum mode)
{
    if (target != GL_PERSPECTIVE_CORRECTION_HINT)
        webgl::Unsupported("glHint", "target", target);
    else if (mode != GL_NICEST && mode != GL_FASTEST && mode != GL_DONT_CARE)
        webgl::Unsupported("glHint", "mode", mode);
}

// Lines are made into quads as they are drawn (see wide_line.h), so the
// width needs no flush.
void glLineWidth(GLfloat width)
{
    if (!(width > 0.0f)) {
        webgl::Misused("glLineWidth", "a width not above 0");
        return;
    }
    State.lineWidth = width;
}
