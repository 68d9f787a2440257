// The web front end: the game in a canvas on a black page, with a WebGL 2
// context, game frames on the browser's animation frames at a steady pace,
// and the page's events turned into the same routing calls the other shells
// make. The page's scripts (page/) turn its address into the command line,
// and a mouse, a finger or a pen into the pointer calls exported here.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "render/gl.h"
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

// The page's own pace where neither its address nor a recording gives one:
// a round lasts the same seconds on a display of any refresh rate.
constexpr int PagePace = 60;
// The most work an animation frame does before it gives the page back:
// frames due after a slow one wait for the next animation frames. A shared
// round's run-through, unseen, takes less, so that the page answers
// promptly meanwhile.
constexpr double FrameBudget = 0.05;
constexpr double RunThroughBudget = 0.01;

// The frame after which the page asked the game to hold still (?pause=N),
// so that frame's picture stays; -1 for none.
long PauseAfterFrame = -1;
bool Held = false;
PageClock Clock;
// A recording was given to play.
bool PlaybackGiven = false;
bool Stopped = false; // the viewer stopped it
bool WasPlaying = false;
// The frame a shared round's run-through began at, while it goes on.
long RunThroughFrom = -1;
// The page changed size while a recording played: the game hears of it
// once the recording has ended.
bool SizePending = false;
// The game's own work, in milliseconds: reading the recording to play, and
// the most an animation frame has done.
double RecordingRead = 0.0;
double LongestFrame = 0.0;

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
// for the display: the window is the canvas. With `pixels` false only the
// box changes, the picture scaled into it.
void FitCanvas(bool pixels)
{
    double ratio = emscripten_get_device_pixel_ratio();
    int pageWidth = std::max(1, int(std::floor(PageCssWidth() * ratio)));
    int pageHeight = std::max(1, int(std::floor(PageCssHeight() * ratio)));
    int width = std::max(1, std::min(pageWidth, pageHeight * 4 / 3));
    int height = std::max(1, std::min(pageHeight, width * 3 / 4));
    emscripten_set_element_css_size(Canvas, width / ratio, height / ratio);
    if (!pixels)
        return;
    ScreenWidth = width;
    ScreenHeight = height;
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

// A resize of the page (a phone turned, its browser's bars shown or
// hidden, the browser's zoom), or full screen entered or left: a size
// message when the canvas's pixels change. A recording at play keeps the
// size it has, and hears of the change when it ends.
void Resized()
{
    if (PlaybackActive()) {
        FitCanvas(false);
        SizePending = true;
        return;
    }
    int width = ScreenWidth;
    int height = ScreenHeight;
    FitCanvas(true);
    if (ScreenWidth != width || ScreenHeight != height)
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

// A shared round's frames before it, run through a little at a time; the
// canvas stays black meanwhile. True once they have all run.
bool RanThrough()
{
    long first = RoutedFrames();
    if (!PlaybackRunsThrough(first))
        return true;
    if (RunThroughFrom < 0)
        RunThroughFrom = first;
    if (!RouteRunThrough(RunThroughBudget)) {
        glClear(GL_COLOR_BUFFER_BIT);
        return false;
    }
    std::printf("frames %ld to %ld run through unseen; frames shown from %ld\n", RunThroughFrom, RoutedFrames() - 1,
                RoutedFrames());
    RunThroughFrom = -1;
    Clock = PageClock();
    return true;
}

// One animation frame, at `now` in seconds on the animation frames' own
// clock: the game frames due by then, within the budget. The browser
// presents the canvas after it.
void Frame(double now)
{
    if (Held || WaitingForContext() || !RanThrough())
        return;
    long due = Pace() == 0 ? 1 : FramesDue(&Clock, now, Pace());
    double start = emscripten_get_now();
    for (long i = 0; i < due && !Held && (emscripten_get_now() - start) / 1000.0 < FrameBudget; ++i) {
        RoutePaint();
        Held = RoutedFrames() - 1 == PauseAfterFrame;
        if (Held)
            std::printf("paused after frame %ld\n", PauseAfterFrame);
    }
    // A recording that has ended leaves the game to the player, at the
    // page's size as it is now.
    if (WasPlaying && !PlaybackActive() && SizePending) {
        SizePending = false;
        Resized();
    }
    WasPlaying = PlaybackActive();
}

// The page's start-up, the browser's own work with it, ends with the first.
EM_JS(void, MarkFirstFrame, (), { performance.mark('fusewalker-first-frame'); });

EM_BOOL OnAnimationFrame(double milliseconds, void*)
{
    double start = emscripten_get_now();
    Frame(milliseconds / 1000.0);
    static bool marked = false;
    if (!marked)
        MarkFirstFrame();
    marked = true;
    LongestFrame = std::max(LongestFrame, emscripten_get_now() - start);
    return EM_TRUE;
}

// Where a recording cannot be played, the game plays without it, as a game
// without its data files does.
bool Start(GameOptions options)
{
    std::string message;
    double start = emscripten_get_now();
    bool started = StartSession(options, PagePace, &message);
    RecordingRead = std::max(RecordingRead, emscripten_get_now() - start);
    if (started) {
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

// The game held still, or let go: for a picture taken at leisure.
extern "C" EMSCRIPTEN_KEEPALIVE void fw_hold(int held) { Held = held != 0; }

// The viewer takes the game over from the recording playing.
extern "C" EMSCRIPTEN_KEEPALIVE void fw_stop_watching()
{
    if (!PlaybackActive())
        return;
    StopPlayback();
    Stopped = true;
    RunThroughFrom = -1;
    std::printf("the replay was stopped before frame %ld: the game is the player's\n", RoutedFrames());
}

// What the page shows beside the game, as one JSON object.
extern "C" EMSCRIPTEN_KEEPALIVE const char* fw_status()
{
    static std::string status;
    const char* playback = !PlaybackGiven ? "none" : PlaybackActive() ? "playing" : Stopped ? "stopped" : "ended";
    status = "{\"state\":" + std::to_string(CurrentState) + ",\"score\":" + std::to_string(PlayerScore) +
             ",\"frames\":" + std::to_string(RoutedFrames()) + ",\"pace\":" + std::to_string(Pace()) +
             ",\"playback\":\"" + playback + "\",\"catchingUp\":" + (RunThroughFrom >= 0 ? "true" : "false") +
             ",\"shownFrom\":" + std::to_string(PlaybackShownFrom()) +
             ",\"checked\":" + std::to_string(PlaybackOutcomesChecked()) +
             ",\"failedFrame\":" + std::to_string(PlaybackFirstFailedFrame()) +
             ",\"roundEnded\":" + (KeptRoundEnded() ? "true" : "false") +
             ",\"roundPlayedBack\":" + (KeptRoundPlayedBack() ? "true" : "false") +
             ",\"recordingReadMs\":" + std::to_string(int(RecordingRead)) +
             ",\"longestFrameMs\":" + std::to_string(int(LongestFrame)) + "}";
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
        if (code != ExitBadCommandLine)
            return code;
        // The page plays all the same, as it would with no options.
        PageNotice(("The page's address asks for what the game refuses (" + message + "): it plays as usual.").c_str());
        options = GameOptions();
    }
    if (!Start(options))
        return ExitBadCommandLine;
    PauseAfterFrame = PageAskedPause();

    FitCanvas(true);
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

    // Frames on the browser's animation frames, with their time; the page
    // lives on after main.
    emscripten_request_animation_frame_loop(OnAnimationFrame, nullptr);
    emscripten_exit_with_live_runtime();
    return 1;
}
