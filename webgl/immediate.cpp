// glBegin/glEnd: the vertices of one primitive are transformed as they come
// and turned into triangles at glEnd, which go to the batch.
#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "webgl/batch.h"
#include "webgl/context.h"
#include "webgl/fixed_state.h"
#include "webgl/refuse.h"
#include "webgl/wide_line.h"

namespace {

using webgl::BatchVertex;
using webgl::State;

bool Inside = false;
GLenum Mode = GL_NONE; // GL_NONE: a mode not drawn
std::vector<BatchVertex> Primitive;
std::vector<BatchVertex> Triangles;

// Triangle i of a strip is (i, i + 1, i + 2), with the first two swapped
// for odd i so that every triangle keeps the strip's winding.
void StripToTriangles()
{
    for (size_t i = 0; i + 2 < Primitive.size(); ++i) {
        bool odd = i % 2 == 1;
        Triangles.push_back(Primitive[odd ? i + 1 : i]);
        Triangles.push_back(Primitive[odd ? i : i + 1]);
        Triangles.push_back(Primitive[i + 2]);
    }
}

void LinesToTriangles()
{
    BatchVertex quad[6];
    for (size_t i = 0; i + 1 < Primitive.size(); i += 2) {
        int count = webgl::WideLine(Primitive[i], Primitive[i + 1], State.lineWidth, State.draw.viewport, quad);
        Triangles.insert(Triangles.end(), quad, quad + count);
    }
}

float Clamped(float value) { return std::min(1.0f, std::max(0.0f, value)); }

} // namespace

void glBegin(GLenum mode)
{
    if (Inside)
        webgl::Misused("glBegin", "called again before glEnd");
    Inside = true;
    Primitive.clear();
    Mode = mode;
    if (mode != GL_LINES && mode != GL_TRIANGLE_STRIP) {
        webgl::Unsupported("glBegin", "mode", mode);
        Mode = GL_NONE;
    }
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (!Inside) {
        webgl::Misused("glVertex3f", "called outside glBegin/glEnd");
        return;
    }
    BatchVertex v;
    webgl::Transform(webgl::ModelViewProjection(), x, y, z, v.position);
    std::copy(State.colour, State.colour + 4, v.colour);
    std::copy(State.texCoord, State.texCoord + 2, v.texCoord);
    Primitive.push_back(v);
}

void glEnd()
{
    if (!Inside) {
        webgl::Misused("glEnd", "called without glBegin");
        return;
    }
    Inside = false;
    if (!webgl::ContextReady())
        return;
    Triangles.clear();
    if (Mode == GL_TRIANGLE_STRIP)
        StripToTriangles();
    else if (Mode == GL_LINES)
        LinesToTriangles();
    if (!Triangles.empty())
        webgl::AppendTriangles(Triangles.data(), int(Triangles.size()));
}

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha)
{
    State.colour[0] = Clamped(red);
    State.colour[1] = Clamped(green);
    State.colour[2] = Clamped(blue);
    State.colour[3] = Clamped(alpha);
}

void glTexCoord2f(GLfloat s, GLfloat t)
{
    State.texCoord[0] = s;
    State.texCoord[1] = t;
}
