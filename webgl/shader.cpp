#include "webgl/shader.h"

#include <webgl/webgl1.h>

#include <cstdio>

#include "webgl/refuse.h"

namespace webgl {

namespace {

const char* const VertexSource = R"(#version 300 es
uniform mat4 Transform;
in vec4 Position;
in vec4 Colour;
in vec2 TexCoord;
out vec4 colour;
out vec2 texCoord;
void main()
{
    gl_Position = Transform * Position;
    colour = Colour;
    texCoord = TexCoord;
}
)";

// GL_MODULATE, and the alpha test as GL_GREATER: a fragment whose alpha is
// not above the reference is dropped.
const char* const FragmentSource = R"(#version 300 es
precision highp float;
uniform sampler2D Face;
uniform bool Textured;
uniform bool AlphaTest;
uniform float AlphaReference;
in vec4 colour;
in vec2 texCoord;
out vec4 fragment;
void main()
{
    vec4 c = Textured ? colour * texture(Face, texCoord) : colour;
    if (AlphaTest && !(c.a > AlphaReference))
        discard;
    fragment = c;
}
)";

void ReportLog(const char* log)
{
    std::fprintf(stderr, "webgl layer: %s\n", log);
}

GLuint Compile(GLenum type, const char* source)
{
    GLuint shader = emscripten_glCreateShader(type);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    GLint compiled = 0;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (!compiled) {
        char log[1024] = "";
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        ReportLog(log);
        Misused("BuildProgram", "WebGL does not compile the shader");
    }
    return shader;
}

} // namespace

GLuint BuildProgram()
{
    GLuint vertex = Compile(GL_VERTEX_SHADER, VertexSource);
    GLuint fragment = Compile(GL_FRAGMENT_SHADER, FragmentSource);
    GLuint program = emscripten_glCreateProgram();
    emscripten_glAttachShader(program, vertex);
    emscripten_glAttachShader(program, fragment);
    emscripten_glBindAttribLocation(program, PositionAttribute, "Position");
    emscripten_glBindAttribLocation(program, ColourAttribute, "Colour");
    emscripten_glBindAttribLocation(program, TexCoordAttribute, "TexCoord");
    emscripten_glLinkProgram(program);
    emscripten_glDeleteShader(vertex);
    emscripten_glDeleteShader(fragment);
    GLint linked = 0;
    emscripten_glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) {
        char log[1024] = "";
        emscripten_glGetProgramInfoLog(program, sizeof log, nullptr, log);
        ReportLog(log);
        Misused("BuildProgram", "WebGL does not link the program");
        emscripten_glDeleteProgram(program);
        return 0;
    }
    return program;
}

} // namespace webgl
