// The Windows front end: one desktop-sized window with a WGL context, and a
// message loop whose paint handler never validates the window, so frames run
// back to back. Everything the game does on a message is in the routing layer.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "app/events.h"
#include "world/data_files.h"
#include "world/globals.h"
#include "render/gl.h"

HDC DeviceContext = nullptr;
HGLRC RenderContext = nullptr;

namespace {

HINSTANCE Instance = nullptr;

const PIXELFORMATDESCRIPTOR PixelFormat = {
    sizeof(PIXELFORMATDESCRIPTOR),
    1,
    PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_GENERIC_ACCELERATED,
    PFD_TYPE_RGBA,
    24,
    0, 0, 0, 0, 0, 0,
    0, 0,
    0, 0, 0, 0, 0,
    32,
    0,
    0,
    PFD_MAIN_PLANE,
    0,
    0, 0, 0,
};

DEVMODEA CurrentDisplayMode()
{
    DEVMODEA mode = {};
    mode.dmSize = sizeof(mode);
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    return mode;
}

// Client coordinates are signed: a captured or dragged cursor can lie left
// of or above the window.
int SignedLow(LPARAM lParam) { return int(short(LOWORD(lParam))); }
int SignedHigh(LPARAM lParam) { return int(short(HIWORD(lParam))); }

void OnCreate(HWND window)
{
    DeviceContext = GetDC(window);
    if (!DeviceContext)
        MessageBoxA(window, "cant getDC", "hmm", MB_OK);
    int format = ChoosePixelFormat(DeviceContext, &PixelFormat);
    SetPixelFormat(DeviceContext, format, &PixelFormat);
    RenderContext = wglCreateContext(DeviceContext);
    if (!RenderContext)
        MessageBoxA(window, "cant create hRC", "hmm", MB_OK);
    wglMakeCurrent(DeviceContext, RenderContext);
    RouteCreate();
}

void OnPaint(HWND window)
{
    RoutePaint();
    SwapBuffers(DeviceContext);
    // Leaving the window invalid keeps a paint message always pending:
    // that is the frame pump.
    InvalidateRect(window, nullptr, TRUE);
}

} // namespace

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_DESTROY:
        ReleaseDC(window, DeviceContext);
        wglMakeCurrent(nullptr, nullptr);
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        RouteSize();
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_MOUSEMOVE: {
        DEVMODEA mode = CurrentDisplayMode();
        RouteMouseMove(SignedLow(lParam), SignedHigh(lParam), int(mode.dmPelsWidth), int(mode.dmPelsHeight));
        return 0;
    }
    case WM_LBUTTONDOWN: {
        DEVMODEA mode = CurrentDisplayMode();
        RouteLeftButtonDown(SignedLow(lParam), SignedHigh(lParam), int(mode.dmPelsWidth), int(mode.dmPelsHeight));
        return 0;
    }
    case WM_ACTIVATE:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEWHEEL:
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND CreateMainWindow(HINSTANCE instance, int showCommand)
{
    Instance = instance;

    WNDCLASSA windowClass = {};
    windowClass.style = CS_IME;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = Instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = nullptr;
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = "DIEX1";
    if (!RegisterClassA(&windowClass))
        return nullptr;

    DEVMODEA mode = CurrentDisplayMode();
    ScreenWidth = int32_t(mode.dmPelsWidth);
    ScreenHeight = int32_t(mode.dmPelsHeight);

    // WM_CREATE arrives before this returns: context, render state and the
    // first round all exist by then.
    HWND window = CreateWindowExA(0, "DIEX1", "Fusewalker V1.0", WS_OVERLAPPED | WS_MAXIMIZE | WS_BORDER, 0, 0,
                                  ScreenWidth, ScreenHeight, nullptr, nullptr, Instance, nullptr);
    ShowWindow(window, showCommand);
    return window;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    char programPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, programPath, MAX_PATH);
    SetProgramPath(programPath);
    if (!CreateMainWindow(instance, SW_SHOWNORMAL))
        return 1;

    // Every message is dispatched twice: once when taken and again at the top
    // of the next pass. The handlers are written to take that: a repeated
    // mouse message sets what it already set, a repeated paint is one more frame.
    MSG message = {};
    for (;;) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return 1;
}
