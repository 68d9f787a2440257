#pragma once

#include <GL/gl.h>

namespace webgl {

// Where the program's inputs are bound.
enum : GLuint {
    PositionAttribute = 0,
    ColourAttribute = 1,
    TexCoordAttribute = 2,
};

// The one program: positions in clip space through a matrix, the colour
// modulated by the texture when texturing is on, and the alpha test.
// 0 if WebGL refuses it.
GLuint BuildProgram();

} // namespace webgl
