#include "session/routing.h"

#include "game/frame.h"
#include "game/view.h"
#include "render/gl.h"
#include "session/heap_policy.h"
#include "session/input.h"
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

void RecordOutcome(long frame)
{
    ScriptLine line;
    line.frame = frame;
    line.kind = ScriptEventKind::Outcome;
    line.state = CurrentState;
    line.score = PlayerScore;
    line.explosions = ExplosionCount;
    Record(line);
}

void RecordDisplay(int width, int height)
{
    if (width == RecordedDisplayWidth && height == RecordedDisplayHeight)
        return;
    RecordEvent(ScriptEventKind::Display, width, height);
    RecordedDisplayWidth = width;
    RecordedDisplayHeight = height;
}

void Move(int mx, int my, int displayWidth, int displayHeight)
{
    if (Recording()) {
        RecordDisplay(displayWidth, displayHeight);
        RecordEvent(ScriptEventKind::Move, mx, my);
    }
    UpdateCursor(mx, my, displayWidth, displayHeight);
}

// A latch, not a count: presses before the next frame make one click.
void Press(int mx, int my, int displayWidth, int displayHeight)
{
    if (Recording()) {
        RecordDisplay(displayWidth, displayHeight);
        RecordEvent(ScriptEventKind::Click, mx, my);
    }
    ClickPending = 1;
    UpdateCursor(mx, my, displayWidth, displayHeight);
}

void Resize()
{
    if (Recording()) {
        if (ScreenWidth != RecordedWindowWidth || ScreenHeight != RecordedWindowHeight)
            RecordEvent(ScriptEventKind::Window, ScreenWidth, ScreenHeight);
        RecordedWindowWidth = ScreenWidth;
        RecordedWindowHeight = ScreenHeight;
        RecordEvent(ScriptEventKind::Size);
    }
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

void RoutePaint()
{
    long frame = FramesRun;
    if (PlaybackActive())
        for (const ScriptLine& line : PlaybackEvents(frame))
            Deliver(line);
    bool roundUnderWay = CurrentState == Playing;
    RunFrame();
    glFinish();
    ++FramesRun;
    if (PlaybackActive())
        CheckPlaybackOutcomes(frame);
    if (Recording()) {
        if (roundUnderWay && CurrentState != Playing)
            RecordOutcome(frame);
        FlushRecording();
    }
}

void RouteClose()
{
    if (Recording() && FramesRun > 0)
        RecordOutcome(FramesRun - 1);
    StopRecording();
}

long RoutedFrames() { return FramesRun; }
