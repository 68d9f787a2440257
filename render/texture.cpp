#include "render/texture.h"

#include <cstdlib>
#include <cstring>

#include "render/bitmap.h"
#include "render/gl.h"
#include "world/data_files.h"

namespace {

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

bool HasExtension(const char* name)
{
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!list)
        return false;
    size_t length = std::strlen(name);
    // Whole names only: one name may be the start of another.
    for (const char* at = std::strstr(list, name); at; at = std::strstr(at + length, name)) {
        bool starts = at == list || at[-1] == ' ';
        bool ends = at[length] == '\0' || at[length] == ' ';
        if (starts && ends)
            return true;
    }
    return false;
}

int MajorVersion()
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return version ? std::atoi(version) : 0;
}

// Sizes other than powers of two need OpenGL 2.0 or the extension for them;
// the proxy then asks the driver whether it can hold the image at all.
bool DriverTakes(int width, int height)
{
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (width > maxSize || height > maxSize)
        return false;
    if (!(IsPowerOfTwo(width) && IsPowerOfTwo(height)) && MajorVersion() < 2 &&
        !HasExtension("GL_ARB_texture_non_power_of_two"))
        return false;
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, 4, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    GLint proxyWidth = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &proxyWidth);
    return proxyWidth == width;
}

void Upload(int width, int height, const unsigned char* rgba)
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

} // namespace

void LoadFaceTexture()
{
    unsigned char* info = nullptr;
    unsigned char* pixels = ReadBitmapFile(OpenDataFile("face.bmp", "the people are drawn plain"), &info);
    unsigned char* rgba = pixels ? BitmapToRgba(info, pixels) : nullptr;

    glEnable(GL_TEXTURE_2D);
    if (rgba && DriverTakes(BitmapWidth(info), BitmapHeight(info))) {
        Upload(BitmapWidth(info), BitmapHeight(info), rgba);
    } else {
        // Without a usable picture the people and the room keep their
        // vertex colours: one opaque white texel modulates nothing away.
        const unsigned char white[4] = {255, 255, 255, 255};
        Upload(1, 1, white);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    std::free(rgba);
    std::free(info);
    std::free(pixels);
}
