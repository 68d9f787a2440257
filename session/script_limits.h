#pragma once

#include <string>

#include "session/script.h"

// What a recording can hold. The game writes its lines as the frames run,
// in order, a few to a frame; a recording that holds more is no recording
// of a round, and each limit refuses it at its line, before anything runs:
//  - lines in frame order: a recording runs forward;
//  - at most MaxLinesPerFrame lines for one frame (a second of a 1000 Hz
//    mouse), of them at most MaxSizesPerFrame size messages (a window
//    thrown around as fast as a window manager can gives three);
//  - no line more than MaxQuietSeconds after the line before it (or after
//    frame 0, or the "from" frame), in frames at the recording's pace
//    (at MaxPace for a recording without one);
//  - before a "from" frame, only the two lines a shared round carries: a
//    click at frame 0 and a size message at frame 2, or nothing.
constexpr long MaxLinesPerFrame = 1000;
constexpr long MaxSizesPerFrame = 16;
constexpr long MaxQuietSeconds = 3600;

// The most frames a line may come after the one before it.
long MaxQuietFrames(const Script& script);

struct ScriptLimitState {
    long lastFrame = 0;
    long linesInFrame = 0;
    long sizesInFrame = 0;
    int carried = 0; // lines before "from" so far
};

// Empty when `line` may follow those before it in `script` (its headings
// read); else why not.
std::string CheckScriptLine(const Script& script, const ScriptLine& line, ScriptLimitState* state);

// Empty when what was read may end there; else why not.
std::string CheckScriptEnd(const Script& script, const ScriptLimitState& state);
