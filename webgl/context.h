#pragma once

#include <GL/gl.h>

namespace webgl {

// What the layer keeps in the current WebGL context.
struct ContextObjects {
    GLuint program;
    GLint transform; // uniform locations
    GLint textured;
    GLint alphaTest;
    GLint alphaReference;
    GLuint batchBuffer; // immediate-mode geometry
    GLuint arrayBuffer; // client vertex arrays
    GLuint indexBuffer;
    GLuint texture; // stands for OpenGL's default texture object
    GLint maxTextureSize;
    // Counts the contexts prepared: state applied to an earlier one is stale.
    unsigned generation;
};

// True when a WebGL context is current and holds the layer's objects (made
// the first time a context is seen, and again when a lost one comes back).
// Without a context, or while it is lost, every call leaves WebGL alone: so
// the simulation's tools run where there is no page.
bool ContextReady();
const ContextObjects& Objects();

// The texture as the game last uploaded it, given to a context that came
// back after a loss (texture.cpp).
void UploadKeptTexture();

} // namespace webgl
