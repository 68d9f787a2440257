// The one texture: OpenGL's default texture object, which the layer's own
// texture stands for. Uploads and parameters go straight to WebGL, after
// whatever waits to be drawn with the texture as it was, and are kept: a
// context lost and given back gets them again.
#include <GL/gl.h>
#include <webgl/webgl1.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "webgl/batch.h"
#include "webgl/context.h"
#include "webgl/refuse.h"

namespace {

struct KeptTexture {
    GLsizei width = 0;
    GLsizei height = 0;
    std::vector<std::uint8_t> rgba; // empty: no pixels given
    std::map<GLenum, GLint> parameters;
    std::map<GLenum, GLint> unpacking;
    std::map<GLenum, GLint> uploadedWith; // the unpacking of the last upload
};
KeptTexture Kept;

// What the last glTexImage2D on GL_PROXY_TEXTURE_2D would have made: 0 by
// 0 when it would have failed.
GLint ProxyWidth = 0;
GLint ProxyHeight = 0;

// The first argument of an upload that is not 4 components of 8 bits from
// RGBA bytes, all the game uploads, with its value; nullptr if none is.
const char* Refused(GLint level, GLint internalFormat, GLint border, GLenum format, GLenum type, unsigned* value)
{
    struct Argument {
        bool taken;
        const char* name;
        unsigned value;
    };
    const Argument arguments[] = {
        {level == 0, "level", unsigned(level)},
        {internalFormat == 4 || internalFormat == GL_RGBA || internalFormat == GL_RGBA8, "internal format",
         unsigned(internalFormat)},
        {border == 0, "border", unsigned(border)},
        {format == GL_RGBA, "format", format},
        {type == GL_UNSIGNED_BYTE, "type", type},
    };
    for (const Argument& argument : arguments) {
        if (!argument.taken) {
            *value = argument.value;
            return argument.name;
        }
    }
    return nullptr;
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
    unsigned value = 0;
    if (target != GL_TEXTURE_2D && target != GL_PROXY_TEXTURE_2D) {
        webgl::Unsupported("glTexImage2D", "target", target);
        return;
    }
    if (const char* refused = Refused(level, internalFormat, border, format, type, &value)) {
        webgl::Unsupported("glTexImage2D", refused, value);
        return;
    }
    if (target == GL_PROXY_TEXTURE_2D) {
        bool fits = webgl::ContextReady() && Fits(width, height);
        ProxyWidth = fits ? width : 0;
        ProxyHeight = fits ? height : 0;
        return;
    }
    // Rows as the game gives them: four bytes a texel, packed, as the
    // unpack state it sets leaves them.
    const std::uint8_t* bytes = static_cast<const std::uint8_t*>(pixels);
    size_t size = bytes ? size_t(width) * size_t(height) * 4 : 0;
    // Every size message loads the face again: the very pixels WebGL has
    // already, which a burst of size messages would upload many times over.
    if (bytes && width == Kept.width && height == Kept.height && Kept.unpacking == Kept.uploadedWith &&
        Kept.rgba.size() == size && std::equal(bytes, bytes + size, Kept.rgba.begin()))
        return;
    webgl::FlushBatch();
    Kept.uploadedWith = Kept.unpacking;
    Kept.width = width;
    Kept.height = height;
    Kept.rgba.assign(bytes, bytes + size);
    if (!webgl::ContextReady())
        return;
    emscripten_glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    webgl::CheckWebGlErrors("glTexImage2D");
}

void glGetTexLevelParameteriv(GLenum target, GLint level, GLenum pname, GLint* params)
{
    if (target != GL_PROXY_TEXTURE_2D) {
        webgl::Unsupported("glGetTexLevelParameteriv", "target", target);
        return;
    }
    if (level != 0) {
        webgl::Unsupported("glGetTexLevelParameteriv", "level", unsigned(level));
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
    Kept.parameters[pname] = param;
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
    Kept.unpacking[pname] = param;
    if (webgl::ContextReady())
        emscripten_glPixelStorei(pname, param);
}

void webgl::UploadKeptTexture()
{
    for (const auto& [pname, param] : Kept.unpacking)
        emscripten_glPixelStorei(pname, param);
    if (Kept.width > 0 || Kept.height > 0)
        emscripten_glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, Kept.width, Kept.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                                Kept.rgba.empty() ? nullptr : Kept.rgba.data());
    for (const auto& [pname, param] : Kept.parameters)
        emscripten_glTexParameteri(GL_TEXTURE_2D, pname, param);
}
