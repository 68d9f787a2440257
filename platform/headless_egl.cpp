#include "platform/headless_egl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include "render/gl.h"

namespace {

EGLDisplay Display = EGL_NO_DISPLAY;
EGLSurface Surface = EGL_NO_SURFACE;
EGLContext Context = EGL_NO_CONTEXT;
int Width = 0;
int Height = 0;

EGLDisplay OpenSurfacelessDisplay()
{
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
        return EGL_NO_DISPLAY;
    return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

bool ChooseConfig(EGLint depthBits, EGLConfig* config)
{
    const EGLint attributes[] = {
        EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
        EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
        EGL_RED_SIZE, 8,
        EGL_GREEN_SIZE, 8,
        EGL_BLUE_SIZE, 8,
        EGL_ALPHA_SIZE, 8,
        EGL_DEPTH_SIZE, depthBits,
        EGL_NONE,
    };
    EGLint count = 0;
    return eglChooseConfig(Display, attributes, config, 1, &count) && count == 1;
}

} // namespace

bool HeadlessOpen(int width, int height)
{
    if (Context != EGL_NO_CONTEXT)
        HeadlessClose();
    if (width < 1 || height < 1)
        return false;

    Display = OpenSurfacelessDisplay();
    if (Display == EGL_NO_DISPLAY || !eglInitialize(Display, nullptr, nullptr)) {
        Display = EGL_NO_DISPLAY;
        return false;
    }
    EGLConfig config;
    if (!eglBindAPI(EGL_OPENGL_API) || (!ChooseConfig(32, &config) && !ChooseConfig(24, &config))) {
        HeadlessClose();
        return false;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    Surface = eglCreatePbufferSurface(Display, config, surfaceAttributes);
    Context = eglCreateContext(Display, config, EGL_NO_CONTEXT, nullptr);
    if (Surface == EGL_NO_SURFACE || Context == EGL_NO_CONTEXT || !eglMakeCurrent(Display, Surface, Surface, Context)) {
        HeadlessClose();
        return false;
    }
    Width = width;
    Height = height;
    return true;
}

void HeadlessClose()
{
    if (Display == EGL_NO_DISPLAY)
        return;
    eglMakeCurrent(Display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (Context != EGL_NO_CONTEXT)
        eglDestroyContext(Display, Context);
    if (Surface != EGL_NO_SURFACE)
        eglDestroySurface(Display, Surface);
    eglTerminate(Display);
    Display = EGL_NO_DISPLAY;
    Surface = EGL_NO_SURFACE;
    Context = EGL_NO_CONTEXT;
    Width = Height = 0;
}

bool HeadlessIsOpen() { return Context != EGL_NO_CONTEXT; }

std::vector<uint8_t> HeadlessReadPixels()
{
    std::vector<uint8_t> pixels(size_t(Width) * size_t(Height) * 4);
    if (pixels.empty())
        return pixels;
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

int HeadlessWidth() { return Width; }
int HeadlessHeight() { return Height; }
