#include "session/kept_round.h"

#include <vector>

#include "world/globals.h"

namespace {

struct Pointer {
    bool seen = false;
    int x = 0, y = 0, displayWidth = 0, displayHeight = 0;
};

// Since the window was made.
bool PlayingSeen = false;
Pointer LastPointer;

// The round kept, from its start.
long Start = 0;
int WindowWidth = 0;
int WindowHeight = 0;
bool PlayedBefore = false;
Pointer StartPointer;
int DisplayWidth = 0; // the display its last display line gave
int DisplayHeight = 0;
std::vector<ScriptLine> Lines;
bool Ended = false;
bool PlayedBack = false;

ScriptLine Line(ScriptEventKind kind, long frame, int x = 0, int y = 0)
{
    ScriptLine line;
    line.kind = kind;
    line.frame = frame;
    line.x = x;
    line.y = y;
    return line;
}

} // namespace

void KeepNewWindow()
{
    PlayingSeen = false;
    LastPointer = Pointer();
    KeepRoundStart(0);
}

void KeepRoundStart(long frame)
{
    Start = frame;
    WindowWidth = ScreenWidth;
    WindowHeight = ScreenHeight;
    PlayedBefore = PlayingSeen;
    StartPointer = LastPointer;
    DisplayWidth = StartPointer.displayWidth;
    DisplayHeight = StartPointer.displayHeight;
    Lines.clear();
    Ended = false;
    PlayedBack = false;
}

void KeepPlayingFrame(bool playedBack)
{
    PlayingSeen = true;
    PlayedBack |= playedBack;
}

void KeepPointer(ScriptEventKind kind, long frame, int x, int y, int displayWidth, int displayHeight)
{
    LastPointer = Pointer{true, x, y, displayWidth, displayHeight};
    if (Ended)
        return;
    if (displayWidth != DisplayWidth || displayHeight != DisplayHeight)
        Lines.push_back(Line(ScriptEventKind::Display, frame, displayWidth, displayHeight));
    DisplayWidth = displayWidth;
    DisplayHeight = displayHeight;
    Lines.push_back(Line(kind, frame, x, y));
}

void KeepLine(const ScriptLine& line)
{
    if (Ended)
        return;
    Lines.push_back(line);
    Ended = line.kind == ScriptEventKind::Outcome;
}

bool KeptRoundEnded() { return Ended; }
bool KeptRoundPlayedBack() { return PlayedBack; }

Script KeptRoundScript(int pace)
{
    Script script;
    script.pace = pace;
    script.windowWidth = WindowWidth;
    script.windowHeight = WindowHeight;
    script.from = Start;
    // A round follows a played one two frames after the window's creation
    // at the earliest: the click, one playing frame, the size message.
    if (PlayedBefore && Start >= 2) {
        script.lines.push_back(Line(ScriptEventKind::Click, 0));
        script.lines.push_back(Line(ScriptEventKind::Size, 2));
    }
    if (StartPointer.seen) {
        script.lines.push_back(Line(ScriptEventKind::Display, Start, StartPointer.displayWidth, StartPointer.displayHeight));
        script.lines.push_back(Line(ScriptEventKind::Move, Start, StartPointer.x, StartPointer.y));
    }
    script.lines.insert(script.lines.end(), Lines.begin(), Lines.end());
    return CompactScript(script);
}
