// The Windows front end: one desktop-sized window (or, with --window, an
// ordinary captioned one) with a WGL context, and a message loop whose paint
// handler never validates the window, so frames run back to back unless
// paced. Everything the game does on a message is in the routing layer.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "render/gl.h"
#include "session/options.h"
#include "session/pace.h"
#include "session/report.h"
#include "session/routing.h"
#include "session/session.h"
#include "world/data_files.h"
#include "world/globals.h"

HDC DeviceContext = nullptr;
HGLRC RenderContext = nullptr;

namespace {

HINSTANCE Instance = nullptr;
// With --window the window stands in for the display: the mouse is mapped
// against its client area and the view follows its size.
bool Windowed = false;
int WindowedWidth = 0;
int WindowedHeight = 0;

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

// The size the mouse is mapped against: the display mode's, queried anew for
// every message, or the client area's with --window.
void MappedSize(HWND window, int* width, int* height)
{
    if (Windowed) {
        RECT client = {};
        GetClientRect(window, &client);
        *width = int(client.right - client.left);
        *height = int(client.bottom - client.top);
        return;
    }
    DEVMODEA mode = CurrentDisplayMode();
    *width = int(mode.dmPelsWidth);
    *height = int(mode.dmPelsHeight);
}

// Help, the version and refusals go where the game was started from: a
// console or a redirected output. Started from a shortcut there is neither,
// and a message box shows them.
void ShowOptionMessage(int code, const std::string& text)
{
    HANDLE out = GetStdHandle(code == ExitAfterHelp ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    bool redirected = out && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN;
    if (redirected || (AttachConsole(ATTACH_PARENT_PROCESS) && std::freopen("CONOUT$", "w", stdout) &&
                       std::freopen("CONOUT$", "w", stderr))) {
        PrintOptionMessage(code, text);
        std::fflush(nullptr);
        return;
    }
    MessageBoxA(nullptr, text.c_str(), "Fusewalker V1.0", MB_OK | (code == ExitAfterHelp ? MB_ICONINFORMATION : MB_ICONERROR));
}

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
    WaitForNextFrame();
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
        if (Windowed && wParam != SIZE_MINIMIZED && LOWORD(lParam) > 0 && HIWORD(lParam) > 0) {
            ScreenWidth = LOWORD(lParam);
            ScreenHeight = HIWORD(lParam);
        }
        RouteSize();
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: {
        int width = 0;
        int height = 0;
        MappedSize(window, &width, &height);
        if (message == WM_MOUSEMOVE)
            RouteMouseMove(SignedLow(lParam), SignedHigh(lParam), width, height);
        else
            RouteLeftButtonDown(SignedLow(lParam), SignedHigh(lParam), width, height);
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

    // WM_CREATE arrives before CreateWindowExA returns: context, render
    // state and the first round all exist by then.
    HWND window = nullptr;
    if (Windowed) {
        ScreenWidth = WindowedWidth;
        ScreenHeight = WindowedHeight;
        RECT frame = {0, 0, WindowedWidth, WindowedHeight};
        AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
        window = CreateWindowExA(0, "DIEX1", "Fusewalker V1.0", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                 frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, Instance,
                                 nullptr);
    } else {
        DEVMODEA mode = CurrentDisplayMode();
        ScreenWidth = int32_t(mode.dmPelsWidth);
        ScreenHeight = int32_t(mode.dmPelsHeight);
        window = CreateWindowExA(0, "DIEX1", "Fusewalker V1.0", WS_OVERLAPPED | WS_MAXIMIZE | WS_BORDER, 0, 0,
                                 ScreenWidth, ScreenHeight, nullptr, nullptr, Instance, nullptr);
    }
    ShowWindow(window, showCommand);
    return window;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    GameOptions options;
    std::string text;
    int code = ParseGameOptions(__argc, __argv, &options, &text);
    if (code != GoOn) {
        ShowOptionMessage(code, text);
        return code;
    }
    if (!StartSession(options, 0, &text)) {
        ShowOptionMessage(ExitBadCommandLine, "fusewalker: " + text);
        return ExitBadCommandLine;
    }
    Windowed = options.windowWidth > 0;
    WindowedWidth = options.windowWidth;
    WindowedHeight = options.windowHeight;
    char programPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, programPath, MAX_PATH);
    SetProgramPath(programPath);
    if (!CreateMainWindow(instance, SW_SHOWNORMAL)) {
        RouteClose();
        return 1;
    }

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
    RouteClose();
    return 1;
}
