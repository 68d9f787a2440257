#pragma once

#include <string>
#include <vector>

// The replay's scripted input: one event per line, "F move X Y",
// "F click X Y" or "F size", delivered before frame F runs.

enum class ReplayEventKind { Move, Click, Size };

struct ReplayEvent {
    int frame = 0;
    ReplayEventKind kind = ReplayEventKind::Move;
    int x = 0;
    int y = 0;
};

struct ScriptParse {
    bool ok = false;
    std::vector<ReplayEvent> events; // ordered by frame, file order within a frame
    std::string error; // names the offending line when not ok
};

// Blank lines and lines starting with '#' are skipped. Positions are client
// pixels, which the window messages carry as signed 16-bit numbers.
ScriptParse ParseReplayScript(const std::string& text);
