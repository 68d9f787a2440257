#include "session/routing.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "game/frame.h"
#include "game/view.h"
#include "render/gl.h"
#include "session/heap_policy.h"
#include "session/input.h"
#include "session/kept_round.h"
#include "session/playback.h"
#include "session/recording.h"
#include "world/globals.h"

namespace {

long FramesRun = 0;
// The display a played mouse event is mapped against: the window's size
// until the script names one.
int PlayedDisplayWidth = 0;
int PlayedDisplayHeight = 0;
// What the recording last said of the display and the window.
int RecordedDisplayWidth = 0;
int RecordedDisplayHeight = 0;
int RecordedWindowWidth = 0;
int RecordedWindowHeight = 0;

void RecordEvent(ScriptEventKind kind, int x = 0, int y = 0)
{
    ScriptLine line;
    line.frame = FramesRun;
    line.kind = kind;
    line.x = x;
    line.y = y;
    Record(line);
}

ScriptLine OutcomeLine(long frame)
{
    ScriptLine line;
    line.frame = frame;
    line.kind = ScriptEventKind::Outcome;
    line.state = CurrentState;
    line.score = PlayerScore;
    line.explosions = ExplosionCount;
    return line;
}

// How a round ended, in the recording and in the round kept for sharing.
void RecordOutcome(long frame)
{
    if (Recording())
        Record(OutcomeLine(frame));
    KeepLine(OutcomeLine(frame));
}

void RecordDisplay(int width, int height)
{
    if (width == RecordedDisplayWidth && height == RecordedDisplayHeight)
        return;
    RecordEvent(ScriptEventKind::Display, width, height);
    RecordedDisplayWidth = width;
    RecordedDisplayHeight = height;
}

void RecordPointer(ScriptEventKind kind, int mx, int my, int displayWidth, int displayHeight)
{
    if (Recording()) {
        RecordDisplay(displayWidth, displayHeight);
        RecordEvent(kind, mx, my);
    }
    KeepPointer(kind, FramesRun, mx, my, displayWidth, displayHeight);
}

void Move(int mx, int my, int displayWidth, int displayHeight)
{
    RecordPointer(ScriptEventKind::Move, mx, my, displayWidth, displayHeight);
    UpdateCursor(mx, my, displayWidth, displayHeight);
}

// A latch, not a count: presses before the next frame make one click.
void Press(int mx, int my, int displayWidth, int displayHeight)
{
    RecordPointer(ScriptEventKind::Click, mx, my, displayWidth, displayHeight);
    ClickPending = 1;
    UpdateCursor(mx, my, displayWidth, displayHeight);
}

// A size message makes a new round, which the round kept for sharing follows.
void Resize()
{
    if (Recording()) {
        if (ScreenWidth != RecordedWindowWidth || ScreenHeight != RecordedWindowHeight)
            RecordEvent(ScriptEventKind::Window, ScreenWidth, ScreenHeight);
        RecordedWindowWidth = ScreenWidth;
        RecordedWindowHeight = ScreenHeight;
        RecordEvent(ScriptEventKind::Size);
    }
    KeepRoundStart(FramesRun);
    ScriptLine size;
    size.frame = FramesRun;
    size.kind = ScriptEventKind::Size;
    KeepLine(size);
    SetUpRendering();
}

void Deliver(const ScriptLine& line)
{
    switch (line.kind) {
    case ScriptEventKind::Move: Move(line.x, line.y, PlayedDisplayWidth, PlayedDisplayHeight); break;
    case ScriptEventKind::Click: Press(line.x, line.y, PlayedDisplayWidth, PlayedDisplayHeight); break;
    case ScriptEventKind::Size: Resize(); break;
    case ScriptEventKind::Display:
        PlayedDisplayWidth = line.x;
        PlayedDisplayHeight = line.y;
        break;
    case ScriptEventKind::Window:
        if (PlaybackFollowsWindow()) {
            ScreenWidth = line.x;
            ScreenHeight = line.y;
        }
        break;
    case ScriptEventKind::Outcome: break;
    }
}

} // namespace

void RouteCreate()
{
    KeepFreedHeapForReuse();
    FramesRun = 0;
    FrameClock = 0.0f;
    PlayedDisplayWidth = ScreenWidth;
    PlayedDisplayHeight = ScreenHeight;
    RecordedWindowWidth = ScreenWidth;
    RecordedWindowHeight = ScreenHeight;
    if (Recording())
        RecordWindow(ScreenWidth, ScreenHeight);
    KeepNewWindow();
    SetUpRendering();
}

// While a recording plays, the shell's own input is left out: it would make
// another round than the recorded one.
void RouteSize()
{
    if (!PlaybackActive())
        Resize();
}

void RouteMouseMove(int mx, int my, int displayWidth, int displayHeight)
{
    if (!PlaybackActive())
        Move(mx, my, displayWidth, displayHeight);
}

void RouteLeftButtonDown(int mx, int my, int displayWidth, int displayHeight)
{
    if (!PlaybackActive())
        Press(mx, my, displayWidth, displayHeight);
}

namespace {

void PaintFrame()
{
    long frame = FramesRun;
    bool playedBack = PlaybackActive();
    if (playedBack)
        for (const ScriptLine& line : PlaybackEvents(frame))
            Deliver(line);
    int stateBefore = CurrentState;
    if (stateBefore == Playing)
        KeepPlayingFrame(playedBack);
    RunFrame();
    glFinish();
    ++FramesRun;
    if (PlaybackActive())
        CheckPlaybackOutcomes(frame);
    if (stateBefore == Playing && CurrentState != Playing)
        RecordOutcome(frame);
    // The click that leaves the score screen made a new round for the next frame.
    if (stateBefore == Score && CurrentState == Title)
        KeepRoundStart(FramesRun);
    FlushRecording();
}

// A frame on the title or the score screen, with no click to take and no
// line of a recording due, leaves nothing but the clock's step: it draws
// its screen again and sets all the drawing state it leaves, which the next
// frame, on the same screen, sets again.
bool LeavesOnlyTheClock() { return (CurrentState == Title || CurrentState == Score) && !ClickPending; }

// The frames up to `frame` pass as such frames would: a clock step each,
// until the clock is too large for a step to move it. So many at a time
// take a few milliseconds, between looks at the time.
constexpr long QuietFramesAtATime = 1 << 18;

void PassQuietFrames(long frame)
{
    while (FramesRun < frame) {
        float before = FrameClock;
        AdvanceFrameClock();
        ++FramesRun;
        if (FrameClock == before)
            FramesRun = frame;
    }
}

double Seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

bool RouteUnseenFrames(long frame, double seconds)
{
    double start = Seconds();
    while (FramesRun < frame) {
        // The frame before the next one that acts is run for real: it
        // leaves the state exactly as all of them would have.
        long quiet = std::min(frame, PlaybackNextFrame()) - 1;
        if (quiet > FramesRun && LeavesOnlyTheClock())
            PassQuietFrames(std::min(quiet, FramesRun + QuietFramesAtATime));
        else
            PaintFrame();
        if (FramesRun < frame && Seconds() - start > seconds)
            return false;
    }
    return true;
}

bool RouteRunThrough(double seconds)
{
    if (!PlaybackRunsThrough(FramesRun))
        return true;
    if (!RouteUnseenFrames(PlaybackShownFrom(), seconds))
        return false;
    // The round shown starts here, on its title screen and its fresh crowd.
    if (CurrentState == Title)
        KeepRoundStart(FramesRun);
    return true;
}

void RoutePaint()
{
    RouteRunThrough(std::numeric_limits<double>::infinity());
    PaintFrame();
}

void RouteClose()
{
    if (Recording() && FramesRun > 0)
        Record(OutcomeLine(FramesRun - 1));
    StopRecording();
}

long RoutedFrames() { return FramesRun; }
