// The web front end: the game in a canvas that fills the page, with a WebGL 2
// context, a frame on each of the browser's animation frames, and the
// page's events turned into the same routing calls the other shells make.
// The page (index.html) turns its URL's query into the command line.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "session/options.h"
#include "session/pace.h"
#include "session/report.h"
#include "session/routing.h"
#include "session/session.h"
#include "world/globals.h"

namespace {

const char* const Canvas = "#canvas";

// The frame after which the page asked the main loop to stop (?pause=N),
// so that frame's picture stays; -1 for none.
long PauseAfterFrame = -1;
// When the next paced frame is due, in seconds; 0 before the first frame.
double Due = 0.0;

EM_JS(int, PageAskedPause, (), {
    var frame = Module['pauseAfterFrame'];
    return typeof frame == 'number' ? frame : -1;
});

// The canvas's pixels follow its box on the page times the device pixel
// ratio, and stand for the display: the window is the canvas.
void FitCanvas()
{
    double cssWidth = 0.0;
    double cssHeight = 0.0;
    emscripten_get_element_css_size(Canvas, &cssWidth, &cssHeight);
    double ratio = emscripten_get_device_pixel_ratio();
    ScreenWidth = std::max(1, int(std::lround(cssWidth * ratio)));
    ScreenHeight = std::max(1, int(std::lround(cssHeight * ratio)));
    emscripten_set_canvas_element_size(Canvas, ScreenWidth, ScreenHeight);
}

bool OpenContext()
{
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    // An opaque canvas: the black the game clears to must not let the page
    // show through.
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(Canvas, &attributes);
    return context > 0 && emscripten_webgl_make_context_current(context) == EMSCRIPTEN_RESULT_SUCCESS;
}

// Mouse positions come in CSS pixels from the canvas's corner; the game
// maps canvas pixels against the canvas's pixel size, so a place on the
// page picks the same floor point at any pixel ratio.
void CanvasPoint(const EmscriptenMouseEvent& event, int* x, int* y, int* width, int* height)
{
    double cssWidth = 0.0;
    double cssHeight = 0.0;
    emscripten_get_element_css_size(Canvas, &cssWidth, &cssHeight);
    emscripten_get_canvas_element_size(Canvas, width, height);
    *x = cssWidth > 0.0 ? int(std::floor(double(event.targetX) * *width / cssWidth)) : 0;
    *y = cssHeight > 0.0 ? int(std::floor(double(event.targetY) * *height / cssHeight)) : 0;
}

EM_BOOL OnMouseMove(int, const EmscriptenMouseEvent* event, void*)
{
    int x, y, width, height;
    CanvasPoint(*event, &x, &y, &width, &height);
    RouteMouseMove(x, y, width, height);
    return EM_TRUE;
}

EM_BOOL OnMouseDown(int, const EmscriptenMouseEvent* event, void*)
{
    if (event->button != 0)
        return EM_FALSE;
    int x, y, width, height;
    CanvasPoint(*event, &x, &y, &width, &height);
    RouteLeftButtonDown(x, y, width, height);
    return EM_TRUE;
}

// A resize of the page, or full screen entered or left: a size message.
void Resized()
{
    FitCanvas();
    RouteSize();
}

EM_BOOL OnResize(int, const EmscriptenUiEvent*, void*)
{
    Resized();
    return EM_FALSE;
}

EM_BOOL OnFullscreenChange(int, const EmscriptenFullscreenChangeEvent*, void*)
{
    Resized();
    return EM_FALSE;
}

const char* OnUnload(int, const void*, void*)
{
    RouteClose();
    return nullptr;
}

// Under a pace, the animation frame nearest a frame's due time runs it.
// Deadlines stay a period apart, so skipping never runs the count ahead.
bool FrameIsDue()
{
    if (Pace() == 0)
        return true;
    double now = emscripten_get_now() / 1000.0;
    double period = 1.0 / Pace();
    if (now < Due - 0.5 * period)
        return false;
    Due = NextFrameDue(Due, now, period);
    return true;
}

// One animation frame; the browser presents the canvas after it.
void Frame()
{
    if (!FrameIsDue())
        return;
    RoutePaint();
    long frame = RoutedFrames() - 1;
    if (frame == PauseAfterFrame) {
        emscripten_pause_main_loop();
        std::printf("paused after frame %ld\n", frame);
    }
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
    if (!StartSession(options, &message)) {
        ReportProblem(message);
        return ExitBadCommandLine;
    }
    PauseAfterFrame = PageAskedPause();

    FitCanvas();
    // As on the desktop, the game goes on without a context and draws nothing.
    if (!OpenContext())
        ReportProblem("cant create hRC: this browser gives the page no WebGL 2");
    RouteCreate();

    emscripten_set_mousemove_callback(Canvas, nullptr, EM_FALSE, OnMouseMove);
    emscripten_set_mousedown_callback(Canvas, nullptr, EM_FALSE, OnMouseDown);
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, OnResize);
    emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, OnFullscreenChange);
    emscripten_set_beforeunload_callback(nullptr, OnUnload);

    // Frames on the browser's animation frames; main does not return.
    emscripten_set_main_loop(Frame, 0, EM_TRUE);
    return 1;
}
