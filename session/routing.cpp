#include "session/routing.h"

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

} // namespace

// The frames a shared round's recording runs through come all in this one
// paint: the shell shows the frame the round starts on.
void RoutePaint()
{
    if (PlaybackRunsThrough(FramesRun)) {
        while (PlaybackRunsThrough(FramesRun))
            PaintFrame();
        // The round shown starts here, on its title screen and its fresh crowd.
        if (CurrentState == Title)
            KeepRoundStart(FramesRun);
    }
    PaintFrame();
}

void RouteClose()
{
    if (Recording() && FramesRun > 0)
        Record(OutcomeLine(FramesRun - 1));
    StopRecording();
}

long RoutedFrames() { return FramesRun; }
