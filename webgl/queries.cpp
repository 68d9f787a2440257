#include <GL/gl.h>

#include "webgl/context.h"
#include "webgl/refuse.h"

namespace {

// What the layer offers: OpenGL 1.1's calls (those the game makes), and
// textures of any size, which WebGL 2 takes.
const GLubyte Version[] = "1.1 WebGL 2";
const GLubyte Extensions[] = "GL_ARB_texture_non_power_of_two";

} // namespace

void glGetIntegerv(GLenum pname, GLint* params)
{
    if (pname != GL_MAX_TEXTURE_SIZE) {
        webgl::Unsupported("glGetIntegerv", "parameter", pname);
        return;
    }
    if (webgl::ContextReady())
        *params = webgl::Objects().maxTextureSize;
}

// Like OpenGL, nothing without a current context.
const GLubyte* glGetString(GLenum name)
{
    if (name != GL_VERSION && name != GL_EXTENSIONS) {
        webgl::Unsupported("glGetString", "name", name);
        return nullptr;
    }
    if (!webgl::ContextReady())
        return nullptr;
    return name == GL_VERSION ? Version : Extensions;
}
