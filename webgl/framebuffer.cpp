// The viewport, clearing, and the ends of a frame.
#include <GL/gl.h>
#include <webgl/webgl1.h>

#include <algorithm>

#include "webgl/batch.h"
#include "webgl/context.h"
#include "webgl/fixed_state.h"
#include "webgl/refuse.h"

namespace {

using webgl::State;

float Clamped(float value) { return std::min(1.0f, std::max(0.0f, value)); }

} // namespace

// Part of the draw state: lines already made into quads keep the viewport
// they were made for.
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    if (width < 0 || height < 0) {
        webgl::Misused("glViewport", "a negative size");
        return;
    }
    const GLint viewport[4] = {x, y, width, height};
    std::copy(viewport, viewport + 4, State.draw.viewport);
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha)
{
    const float colour[4] = {Clamped(red), Clamped(green), Clamped(blue), Clamped(alpha)};
    std::copy(colour, colour + 4, State.clearColour);
}

void glClearDepth(GLclampd depth) { State.clearDepth = Clamped(float(depth)); }

void glClear(GLbitfield mask)
{
    if (mask & ~GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT))
        webgl::Unsupported("glClear", "buffer bits", mask);
    webgl::FlushBatch();
    if (!webgl::ContextReady())
        return;
    emscripten_glClearColor(State.clearColour[0], State.clearColour[1], State.clearColour[2], State.clearColour[3]);
    emscripten_glClearDepthf(State.clearDepth);
    emscripten_glClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
    webgl::CheckWebGlErrors("glClear");
}

// The browser presents the canvas once the frame's callback returns, with
// everything drawn: WebGL's finish would only stall the page, and its flush
// adds nothing. What the batch holds is all that must go.
void glFlush() { webgl::FlushBatch(); }

void glFinish() { webgl::FlushBatch(); }
