#include "session/script_limits.h"

namespace {

std::string Frame(long frame) { return "frame " + std::to_string(frame); }

// A shared round that follows a played one carries a click at frame 0 and,
// after the one playing frame it makes, the size message at frame 2 that
// makes a fresh round: so every frame before "from" is on the title screen
// but those three. True when `line` is the next of the two.
bool Carried(const Script& script, const ScriptLine& line, ScriptLimitState* state)
{
    bool click = line.kind == ScriptEventKind::Click && line.frame == 0 && line.x == 0 && line.y == 0;
    bool size = line.kind == ScriptEventKind::Size && line.frame == 2;
    if ((state->carried == 0 && click && script.from >= 2) || (state->carried == 1 && size)) {
        ++state->carried;
        return true;
    }
    return false;
}

} // namespace

long MaxQuietFrames(const Script& script) { return MaxQuietSeconds * (script.pace > 0 ? script.pace : MaxPace); }

std::string CheckScriptLine(const Script& script, const ScriptLine& line, ScriptLimitState* state)
{
    if (line.frame < state->lastFrame)
        return Frame(line.frame) + " comes after " + Frame(state->lastFrame) + ": a recording runs forward";
    if (script.from > 0 && state->carried < 2 && Carried(script, line, state) && line.frame < script.from)
        return "";
    if (line.frame < script.from)
        return Frame(line.frame) + " comes before \"from " + std::to_string(script.from) +
               "\", and the frames before it hold nothing but \"0 click 0 0\" then \"2 size\"";
    std::string unfinished = CheckScriptEnd(script, *state);
    if (!unfinished.empty())
        return unfinished;
    // The first line of the round shown is measured from where it is shown.
    long since = state->lastFrame < script.from ? script.from : state->lastFrame;
    if (line.frame - since > MaxQuietFrames(script))
        return Frame(line.frame) + " is more than " + std::to_string(MaxQuietSeconds / 60) + " minutes of frames (" +
               std::to_string(MaxQuietFrames(script)) + ") after " + Frame(since);
    if (line.frame != state->lastFrame) {
        state->lastFrame = line.frame;
        state->linesInFrame = 0;
        state->sizesInFrame = 0;
    }
    if (++state->linesInFrame > MaxLinesPerFrame)
        return "more than " + std::to_string(MaxLinesPerFrame) + " lines for " + Frame(line.frame);
    if (line.kind == ScriptEventKind::Size && ++state->sizesInFrame > MaxSizesPerFrame)
        return "more than " + std::to_string(MaxSizesPerFrame) + " size messages in " + Frame(line.frame);
    return "";
}

std::string CheckScriptEnd(const Script& script, const ScriptLimitState& state)
{
    if (state.carried == 1)
        return "\"0 click 0 0\" before \"from " + std::to_string(script.from) + "\" is not followed by \"2 size\"";
    return "";
}
