// The Linux front end on SDL2: one window the size of the display mode (or,
// with --window, an ordinary window of the size asked for) with a
// double-buffered OpenGL context, frames run back to back unless paced, and
// the window's events turned into the same routing calls the Windows shell
// makes.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdlib>
#include <string>

#include "session/options.h"
#include "session/pace.h"
#include "session/report.h"
#include "session/routing.h"
#include "session/session.h"
#include "world/data_files.h"
#include "world/globals.h"

namespace {

SDL_Window* Window = nullptr;
SDL_GLContext RenderContext = nullptr;
// With --window the window stands in for the display: the mouse is mapped
// against it and the view follows its size.
bool Windowed = false;

// The primary display's current mode; a zero size if it cannot be had, which
// the cursor update takes as "keep the last point".
void DisplaySize(int* width, int* height)
{
    SDL_DisplayMode mode = {};
    if (SDL_GetCurrentDisplayMode(0, &mode) != 0 && SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        mode.w = 0;
        mode.h = 0;
    }
    *width = mode.w;
    *height = mode.h;
}

void RequestPixelFormat(int depthBits)
{
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // The drawing is OpenGL 1.x immediate mode, which a core profile lacks.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

// Few drivers offer a 32-bit depth buffer; 24 bits is plenty for the view.
const int DepthChoices[] = {32, 24};

// The size the mouse is mapped against: the display mode's, or the window's
// own with --window.
void MappedSize(int* width, int* height)
{
    if (Windowed)
        SDL_GetWindowSize(Window, width, height);
    else
        DisplaySize(width, height);
}

SDL_Window* OpenWindow()
{
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | (Windowed ? SDL_WINDOW_RESIZABLE : SDL_WINDOW_MAXIMIZED);
    int at = Windowed ? int(SDL_WINDOWPOS_CENTERED) : 0;
    for (int depthBits : DepthChoices) {
        RequestPixelFormat(depthBits);
        SDL_Window* window = SDL_CreateWindow("Fusewalker V1.0", at, at, ScreenWidth, ScreenHeight, flags);
        if (window)
            return window;
    }
    return nullptr;
}

// Where the window system picks the framebuffer with the context rather than
// with the window, the depth fallback happens here.
SDL_GLContext OpenContext()
{
    for (int depthBits : DepthChoices) {
        RequestPixelFormat(depthBits);
        SDL_GLContext context = SDL_GL_CreateContext(Window);
        if (context)
            return context;
    }
    return nullptr;
}

// Left to itself SDL falls back to its offscreen driver when there is no
// screen, and the game would run where nobody can see it. Unless the user
// names a driver, only those that show a window to a person are tried, and
// Wayland only where a compositor is announced (probing for one without
// prints a complaint of its own).
void ChooseVideoDrivers()
{
    if (std::getenv("SDL_VIDEODRIVER"))
        return;
    std::string drivers;
    if (std::getenv("DISPLAY"))
        drivers += "x11,";
    if (std::getenv("WAYLAND_DISPLAY"))
        drivers += "wayland,";
    drivers += "KMSDRM";
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
}

void ShowFailure(const char* text)
{
    SDL_ShowSimpleMessageBox(0, "hmm", text, Window);
}

bool CreateMainWindow(const GameOptions& options)
{
    Windowed = options.windowWidth > 0;
    if (Windowed) {
        ScreenWidth = options.windowWidth;
        ScreenHeight = options.windowHeight;
    } else {
        DisplaySize(&ScreenWidth, &ScreenHeight);
    }
    Window = OpenWindow();
    if (!Window)
        return false;

    RenderContext = OpenContext();
    if (!RenderContext)
        ShowFailure("cant create hRC");
    SDL_GL_MakeCurrent(Window, RenderContext);
    RouteCreate();

    SDL_ShowWindow(Window);
    return true;
}

void Destroy()
{
    SDL_GL_MakeCurrent(Window, nullptr);
    if (RenderContext)
        SDL_GL_DeleteContext(RenderContext);
    SDL_DestroyWindow(Window);
}

void HandleWindowEvent(const SDL_WindowEvent& event)
{
    switch (event.event) {
    // A resize by the window manager arrives as RESIZED and then SIZE_CHANGED;
    // one reset per change is enough, so only the second is routed.
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (Windowed && event.data1 > 0 && event.data2 > 0) {
            ScreenWidth = event.data1;
            ScreenHeight = event.data2;
        }
        RouteSize();
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
        RouteSize();
        break;
    default:
        break;
    }
}

// Handles one event; false when the program should end.
bool HandleEvent(const SDL_Event& event)
{
    int width = 0;
    int height = 0;
    switch (event.type) {
    case SDL_QUIT:
        return false;
    case SDL_WINDOWEVENT:
        HandleWindowEvent(event.window);
        break;
    case SDL_MOUSEMOTION:
        MappedSize(&width, &height);
        RouteMouseMove(event.motion.x, event.motion.y, width, height);
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT) {
            MappedSize(&width, &height);
            RouteLeftButtonDown(event.button.x, event.button.y, width, height);
        }
        break;
    default:
        break;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    GameOptions options;
    std::string message;
    int code = ParseGameOptions(argc, argv, &options, &message);
    if (code != GoOn) {
        PrintOptionMessage(code, message);
        return code;
    }
    char* programFolder = SDL_GetBasePath();
    SetProgramPath(programFolder);
    SDL_free(programFolder);
    ChooseVideoDrivers();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        ReportProblem("no display available (set DISPLAY or run under a desktop)");
        return 1;
    }
    if (!StartSession(options, 0, &message)) {
        ReportProblem(message);
        SDL_Quit();
        return ExitBadCommandLine;
    }
    if (!CreateMainWindow(options)) {
        ReportProblem(std::string("cannot open the window: ") + SDL_GetError());
        RouteClose();
        SDL_Quit();
        return 1;
    }

    // No timer and no swap interval: unless paced, frames run as fast as they
    // can, and the game's pace follows the frame rate. SDL turns SIGINT and
    // SIGTERM into SDL_QUIT, so they end through the same path as closing
    // the window.
    bool running = true;
    while (running) {
        SDL_Event event;
        while (running && SDL_PollEvent(&event))
            running = HandleEvent(event);
        if (!running)
            break;
        RoutePaint();
        SDL_GL_SwapWindow(Window);
        WaitForNextFrame();
    }

    RouteClose();
    Destroy();
    SDL_Quit();
    return 1;
}
