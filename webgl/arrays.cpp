// Client vertex arrays: glDrawElements copies the vertices its indices
// reach, and the indices, into buffers on every call (the arrays are the
// program's memory and may change between draws) and draws them at once.
#include <GL/gl.h>
#include <webgl/webgl1.h>

#include <algorithm>

#include "webgl/batch.h"
#include "webgl/context.h"
#include "webgl/draw_state.h"
#include "webgl/fixed_state.h"
#include "webgl/refuse.h"
#include "webgl/shader.h"

namespace {

using webgl::ClientArray;
using webgl::State;

ClientArray* Array(GLenum array)
{
    switch (array) {
    case GL_VERTEX_ARRAY: return &State.vertexArray;
    case GL_TEXTURE_COORD_ARRAY: return &State.texCoordArray;
    default: return nullptr;
    }
}

void Point(const char* call, ClientArray* array, GLint size, GLint smallest, GLenum type, GLsizei stride,
           const void* pointer)
{
    if (size < smallest || size > 4) {
        webgl::Unsupported(call, "size", unsigned(size));
        return;
    }
    if (type != GL_FLOAT) {
        webgl::Unsupported(call, "type", type);
        return;
    }
    if (stride < 0) {
        webgl::Misused(call, "a negative stride");
        return;
    }
    array->size = size;
    array->stride = stride > 0 ? stride : GLsizei(size * sizeof(GLfloat));
    array->pointer = pointer;
}

// The bytes of an array that elements 0 to highest take.
struct Span {
    const char* begin;
    const char* end;
    GLsizeiptr Bytes() const { return end - begin; }
};

Span Reach(const ClientArray& array, unsigned highest)
{
    const char* begin = static_cast<const char*>(array.pointer);
    return {begin, begin + size_t(highest) * size_t(array.stride) + size_t(array.size) * sizeof(GLfloat)};
}

// Uploads the arrays into the array buffer: one copy when they interleave
// (or lie close), each apart otherwise. Gives each array's offset there.
void Upload(const Span& vertices, const Span* texCoords, GLintptr* vertexOffset, GLintptr* texCoordOffset)
{
    GLuint buffer = webgl::Objects().arrayBuffer;
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, buffer);
    if (!texCoords) {
        emscripten_glBufferData(GL_ARRAY_BUFFER, vertices.Bytes(), vertices.begin, GL_STREAM_DRAW);
        *vertexOffset = 0;
        return;
    }
    Span both = {std::min(vertices.begin, texCoords->begin), std::max(vertices.end, texCoords->end)};
    if (both.Bytes() <= vertices.Bytes() + texCoords->Bytes()) {
        emscripten_glBufferData(GL_ARRAY_BUFFER, both.Bytes(), both.begin, GL_STREAM_DRAW);
        *vertexOffset = vertices.begin - both.begin;
        *texCoordOffset = texCoords->begin - both.begin;
        return;
    }
    emscripten_glBufferData(GL_ARRAY_BUFFER, vertices.Bytes() + texCoords->Bytes(), nullptr, GL_STREAM_DRAW);
    emscripten_glBufferSubData(GL_ARRAY_BUFFER, 0, vertices.Bytes(), vertices.begin);
    emscripten_glBufferSubData(GL_ARRAY_BUFFER, vertices.Bytes(), texCoords->Bytes(), texCoords->begin);
    *vertexOffset = 0;
    *texCoordOffset = vertices.Bytes();
}

void Attribute(GLuint attribute, const ClientArray& array, GLintptr offset)
{
    emscripten_glEnableVertexAttribArray(attribute);
    emscripten_glVertexAttribPointer(attribute, array.size, GL_FLOAT, GL_FALSE, array.stride,
                                     reinterpret_cast<const void*>(offset));
}

// An input with no array takes the current value, as OpenGL's does.
void Constant(GLuint attribute, const float* value, int size)
{
    float v[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    std::copy(value, value + size, v);
    emscripten_glDisableVertexAttribArray(attribute);
    emscripten_glVertexAttrib4fv(attribute, v);
}

} // namespace

void glEnableClientState(GLenum array)
{
    if (ClientArray* a = Array(array))
        a->enabled = true;
    else
        webgl::Unsupported("glEnableClientState", "array", array);
}

void glDisableClientState(GLenum array)
{
    if (ClientArray* a = Array(array))
        a->enabled = false;
    else
        webgl::Unsupported("glDisableClientState", "array", array);
}

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer)
{
    Point("glVertexPointer", &State.vertexArray, size, 2, type, stride, pointer);
}

void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer)
{
    Point("glTexCoordPointer", &State.texCoordArray, size, 1, type, stride, pointer);
}

void glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices)
{
    if (mode != GL_TRIANGLES) {
        webgl::Unsupported("glDrawElements", "mode", mode);
        return;
    }
    if (type != GL_UNSIGNED_SHORT) {
        webgl::Unsupported("glDrawElements", "index type", type);
        return;
    }
    webgl::FlushBatch();
    // Without a vertex array there is nothing to draw.
    if (count <= 0 || !State.vertexArray.enabled || !webgl::ContextReady())
        return;

    const GLushort* index = static_cast<const GLushort*>(indices);
    unsigned highest = *std::max_element(index, index + count);
    Span vertices = Reach(State.vertexArray, highest);
    Span texCoords = {};
    bool textured = State.texCoordArray.enabled;
    if (textured)
        texCoords = Reach(State.texCoordArray, highest);
    GLintptr vertexOffset = 0;
    GLintptr texCoordOffset = 0;
    Upload(vertices, textured ? &texCoords : nullptr, &vertexOffset, &texCoordOffset);

    Attribute(webgl::PositionAttribute, State.vertexArray, vertexOffset);
    if (textured)
        Attribute(webgl::TexCoordAttribute, State.texCoordArray, texCoordOffset);
    else
        Constant(webgl::TexCoordAttribute, State.texCoord, 2);
    Constant(webgl::ColourAttribute, State.colour, 4);

    emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, webgl::Objects().indexBuffer);
    emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(count) * GLsizeiptr(sizeof(GLushort)), indices,
                            GL_STREAM_DRAW);
    webgl::ApplyDrawState(State.draw, webgl::ModelViewProjection());
    emscripten_glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_SHORT, nullptr);
    webgl::CheckWebGlErrors("glDrawElements");
}
