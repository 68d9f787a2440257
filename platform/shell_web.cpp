// The web front end: the game in a canvas on a black page, with a WebGL 2
// context, a frame on each of the browser's animation frames, and the
// page's events turned into the same routing calls the other shells make.
// The page's scripts (page/) turn its address into the command line, and a
// mouse, a finger or a pen into the pointer calls exported here.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "session/kept_round.h"
#include "session/options.h"
#include "session/pace.h"
#include "session/playback.h"
#include "session/report.h"
#include "session/routing.h"
#include "session/session.h"
#include "webgl/context.h"
#include "world/globals.h"

namespace {

const char* const Canvas = "#canvas";

// The frame after which the page asked the main loop to stop (?pause=N),
// so that frame's picture stays; -1 for none.
long PauseAfterFrame = -1;
// When the next paced frame is due, in seconds; 0 before the first frame.
double Due = 0.0;
// A recording was given to play.
bool PlaybackGiven = false;

// While the browser has taken the context away, frames wait for it to come
// back, so that the player misses nothing of the round. The wait is counted
// in animation frames, which a hidden page does not get; after this many
// the game goes on without drawing, as it does with no context at all.
constexpr int MostFramesWaited = 300;
bool ContextLost = false;
int FramesWaited = 0;

EM_JS(int, PageAskedPause, (), {
    var frame = Module['pauseAfterFrame'];
    return typeof frame == 'number' ? frame : -1;
});

// The page's own line of words, as well as the console's.
EM_JS(void, PageNotice, (const char* text), {
    if (Module['notice'])
        Module['notice'](UTF8ToString(text));
});

EM_JS(double, PageCssWidth, (), { return window.innerWidth; });
EM_JS(double, PageCssHeight, (), { return window.innerHeight; });

void Problem(const std::string& text, const std::string& words)
{
    ReportProblem(text);
    PageNotice(words.c_str());
}

// The canvas is the largest 4:3 box the page holds, centred on black: the
// whole picture the game was made for, back wall and running score, on a
// phone held either way or a monitor of any shape. Its size is taken in
// whole device pixels, so the picture stays sharp, and the canvas stands
// for the display: the window is the canvas.
void FitCanvas()
{
    double ratio = emscripten_get_device_pixel_ratio();
    int pageWidth = std::max(1, int(std::floor(PageCssWidth() * ratio)));
    int pageHeight = std::max(1, int(std::floor(PageCssHeight() * ratio)));
    ScreenWidth = std::max(1, std::min(pageWidth, pageHeight * 4 / 3));
    ScreenHeight = std::max(1, std::min(pageHeight, ScreenWidth * 3 / 4));
    emscripten_set_canvas_element_size(Canvas, ScreenWidth, ScreenHeight);
    emscripten_set_element_css_size(Canvas, ScreenWidth / ratio, ScreenHeight / ratio);
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

// A resize of the page (a phone turned, its browser's bars shown or hidden),
// or full screen entered or left: a size message.
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

// True: the browser may give the context back.
EM_BOOL OnContextLost(int, const void*, void*)
{
    ContextLost = true;
    FramesWaited = 0;
    std::printf("the WebGL context was lost: the game waits for it\n");
    return EM_TRUE;
}

EM_BOOL OnContextRestored(int, const void*, void*)
{
    ContextLost = false;
    if (webgl::ContextReady())
        std::printf("the WebGL context is back\n");
    else
        Problem("the WebGL context came back without what the game draws with; the game goes on without drawing",
                "The graphics came back broken: the game goes on, but cannot draw. Reload the page to try again.");
    return EM_TRUE;
}

const char* OnUnload(int, const void*, void*)
{
    RouteClose();
    return nullptr;
}

// Under a pace, the animation frame nearest a frame's due time runs it.
// Deadlines stay a period apart, so skipping never runs the count ahead;
// more than a period late (the page was hidden, and had no animation
// frames), the frame that runs now starts the count afresh: no burst.
bool FrameIsDue()
{
    if (Pace() == 0)
        return true;
    double now = emscripten_get_now() / 1000.0;
    double period = 1.0 / Pace();
    if (now < Due - 0.5 * period)
        return false;
    Due = Due <= 0.0 || now - Due > period ? now + period : Due + period;
    return true;
}

bool WaitingForContext()
{
    if (!ContextLost || FramesWaited > MostFramesWaited)
        return false;
    if (++FramesWaited <= MostFramesWaited)
        return true;
    Problem("the WebGL context was lost and has not come back; the game goes on without drawing",
            "The graphics were lost and have not come back: the game goes on, but cannot draw. "
            "Reload the page to try again.");
    return false;
}

// One animation frame; the browser presents the canvas after it.
void Frame()
{
    if (WaitingForContext() || !FrameIsDue())
        return;
    long first = RoutedFrames();
    RoutePaint();
    long frame = RoutedFrames() - 1;
    if (frame > first)
        std::printf("frames %ld to %ld run through unseen; frames shown from %ld\n", first, frame - 1, frame);
    if (frame == PauseAfterFrame) {
        emscripten_pause_main_loop();
        std::printf("paused after frame %ld\n", frame);
    }
}

// Where a recording cannot be played, the game plays without it, as a game
// without its data files does.
bool Start(GameOptions options)
{
    std::string message;
    if (StartSession(options, &message)) {
        PlaybackGiven = !options.play.empty();
        return true;
    }
    if (options.play.empty()) {
        ReportProblem(message);
        return false;
    }
    Problem(message, "This recording cannot be played: " + message);
    options.play.clear();
    return Start(options);
}

} // namespace

// The pointer, in canvas pixels, with the canvas's size: the page's one
// path for a mouse, a finger and a pen.
extern "C" EMSCRIPTEN_KEEPALIVE void fw_pointer_move(int x, int y, int width, int height)
{
    RouteMouseMove(x, y, width, height);
}

extern "C" EMSCRIPTEN_KEEPALIVE void fw_pointer_press(int x, int y, int width, int height)
{
    RouteLeftButtonDown(x, y, width, height);
}

// What the page shows beside the game, as one JSON object.
extern "C" EMSCRIPTEN_KEEPALIVE const char* fw_status()
{
    static std::string status;
    const char* playback = !PlaybackGiven ? "none" : PlaybackActive() ? "playing" : "ended";
    status = "{\"state\":" + std::to_string(CurrentState) + ",\"score\":" + std::to_string(PlayerScore) +
             ",\"frames\":" + std::to_string(RoutedFrames()) + ",\"playback\":\"" + playback +
             "\",\"checked\":" + std::to_string(PlaybackOutcomesChecked()) +
             ",\"failedFrame\":" + std::to_string(PlaybackFirstFailedFrame()) +
             ",\"roundEnded\":" + (KeptRoundEnded() ? "true" : "false") +
             ",\"roundPlayedBack\":" + (KeptRoundPlayedBack() ? "true" : "false") + "}";
    return status.c_str();
}

// The round just ended, as a recording that replays it alone; empty before
// a round has ended.
extern "C" EMSCRIPTEN_KEEPALIVE const char* fw_shared_round()
{
    static std::string text;
    text = KeptRoundEnded() ? FormatScript(KeptRoundScript(Pace())) : "";
    return text.c_str();
}

int main(int argc, char** argv)
{
    GameOptions options;
    std::string message;
    int code = ParseGameOptions(argc, argv, &options, &message);
    if (code != GoOn) {
        PrintOptionMessage(code, message);
        return code;
    }
    if (!Start(options))
        return ExitBadCommandLine;
    PauseAfterFrame = PageAskedPause();

    FitCanvas();
    // As on the desktop, the game goes on without a context and draws nothing.
    if (!OpenContext())
        Problem("cant create hRC: this browser gives the page no WebGL 2",
                "This browser gives the game no WebGL 2, so nothing can be drawn. Try another browser, "
                "or switch on graphics acceleration in this one's settings, or update it.");
    RouteCreate();

    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, OnResize);
    emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, OnFullscreenChange);
    emscripten_set_webglcontextlost_callback(Canvas, nullptr, EM_FALSE, OnContextLost);
    emscripten_set_webglcontextrestored_callback(Canvas, nullptr, EM_FALSE, OnContextRestored);
    emscripten_set_beforeunload_callback(nullptr, OnUnload);

    // Frames on the browser's animation frames; main does not return.
    emscripten_set_main_loop(Frame, 0, EM_TRUE);
    return 1;
}
