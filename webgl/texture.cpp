// The one texture: OpenGL's default texture object, which the layer's own
// texture stands for. Uploads and parameters go straight to WebGL, after
// whatever waits to be drawn with the texture as it was.
#include <GL/gl.h>
#include <webgl/webgl1.h>

#include "webgl/batch.h"
#include "webgl/context.h"
#include "webgl/refuse.h"

namespace {

// What the last glTexImage2D on GL_PROXY_TEXTURE_2D would have made: 0 by
// 0 when it would have failed.
GLint ProxyWidth = 0;
GLint ProxyHeight = 0;

// 4 components of 8 bits from RGBA bytes: all the game uploads.
bool IsRgbaUpload(GLint level, GLint internalFormat, GLint border, GLenum format, GLenum type, const char** what,
                  unsigned* value)
{
    *what = nullptr;
    if (level != 0) {
        *what = "level";
        *value = unsigned(level);
    } else if (internalFormat != 4 && internalFormat != GL_RGBA && internalFormat != GL_RGBA8) {
        *what = "internal format";
        *value = unsigned(internalFormat);
    } else if (border != 0) {
        *what = "border";
        *value = unsigned(border);
    } else if (format != GL_RGBA) {
        *what = "format";
        *value = format;
    } else if (type != GL_UNSIGNED_BYTE) {
        *what = "type";
        *value = type;
    }
    return *what == nullptr;
}

bool Fits(GLsizei width, GLsizei height)
{
    GLint most = webgl::Objects().maxTextureSize;
    return width >= 0 && height >= 0 && width <= most && height <= most;
}

} // namespace

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels)
{
    const char* what = nullptr;
    unsigned value = 0;
    if (target != GL_TEXTURE_2D && target != GL_PROXY_TEXTURE_2D) {
        webgl::Unsupported("glTexImage2D", "target", target);
        return;
    }
    if (!IsRgbaUpload(level, internalFormat, border, format, type, &what, &value)) {
        webgl::Unsupported("glTexImage2D", what, value);
        return;
    }
    if (target == GL_PROXY_TEXTURE_2D) {
        bool fits = webgl::ContextReady() && Fits(width, height);
        ProxyWidth = fits ? width : 0;
        ProxyHeight = fits ? height : 0;
        return;
    }
    webgl::FlushBatch();
    if (!webgl::ContextReady())
        return;
    emscripten_glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    webgl::CheckWebGlErrors("glTexImage2D");
}

void glGetTexLevelParameteriv(GLenum target, GLint level, GLenum pname, GLint* params)
{
    if (target != GL_PROXY_TEXTURE_2D || level != 0) {
        webgl::Unsupported("glGetTexLevelParameteriv", "target", target);
        return;
    }
    if (pname == GL_TEXTURE_WIDTH)
        *params = ProxyWidth;
    else if (pname == GL_TEXTURE_HEIGHT)
        *params = ProxyHeight;
    else
        webgl::Unsupported("glGetTexLevelParameteriv", "parameter", pname);
}

void glTexParameteri(GLenum target, GLenum pname, GLint param)
{
    bool wrap = pname == GL_TEXTURE_WRAP_S || pname == GL_TEXTURE_WRAP_T;
    bool filter = pname == GL_TEXTURE_MIN_FILTER || pname == GL_TEXTURE_MAG_FILTER;
    if (target != GL_TEXTURE_2D) {
        webgl::Unsupported("glTexParameteri", "target", target);
        return;
    }
    if (!wrap && !filter) {
        webgl::Unsupported("glTexParameteri", "parameter", pname);
        return;
    }
    // No mipmaps are made, so only the filters that need none.
    bool known = wrap ? (param == GL_REPEAT || param == GL_CLAMP_TO_EDGE) : (param == GL_NEAREST || param == GL_LINEAR);
    if (!known) {
        webgl::Unsupported("glTexParameteri", "value", unsigned(param));
        return;
    }
    webgl::FlushBatch();
    if (webgl::ContextReady())
        emscripten_glTexParameteri(GL_TEXTURE_2D, pname, param);
}

// The shader modulates: the fragment is the colour times the texel.
void glTexEnvi(GLenum target, GLenum pname, GLint param)
{
    if (target != GL_TEXTURE_ENV || pname != GL_TEXTURE_ENV_MODE)
        webgl::Unsupported("glTexEnvi", "parameter", pname);
    else if (param != GL_MODULATE)
        webgl::Unsupported("glTexEnvi", "mode", unsigned(param));
}

void glPixelStorei(GLenum pname, GLint param)
{
    bool unpack = pname == GL_UNPACK_ALIGNMENT || pname == GL_UNPACK_ROW_LENGTH || pname == GL_UNPACK_SKIP_ROWS ||
                  pname == GL_UNPACK_SKIP_PIXELS;
    if (!unpack) {
        webgl::Unsupported("glPixelStorei", "parameter", pname);
        return;
    }
    if (webgl::ContextReady())
        emscripten_glPixelStorei(pname, param);
}
