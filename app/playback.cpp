#include "app/playback.h"

#include "app/session.h"
#include "world/globals.h"

namespace {

Script Played;
size_t Next = 0; // the first line not yet played
bool FollowWindow = false;
long Checked = 0;
bool Failed = false;

std::string Outcome(int state, int score, int explosions)
{
    return "state " + std::to_string(state) + " score " + std::to_string(score) + " explosions " +
           std::to_string(explosions);
}

} // namespace

void StartPlayback(const Script& script, bool followWindow)
{
    Played = script;
    Next = 0;
    FollowWindow = followWindow;
    Checked = 0;
    Failed = false;
}

bool PlaybackActive() { return Next < Played.lines.size(); }
bool PlaybackFollowsWindow() { return FollowWindow; }

std::vector<ScriptLine> PlaybackEvents(long frame)
{
    std::vector<ScriptLine> due;
    for (size_t i = Next; i < Played.lines.size() && Played.lines[i].frame == frame; ++i)
        if (Played.lines[i].kind != ScriptEventKind::Outcome)
            due.push_back(Played.lines[i]);
    return due;
}

void CheckPlaybackOutcomes(long frame)
{
    for (; Next < Played.lines.size() && Played.lines[Next].frame <= frame; ++Next) {
        const ScriptLine& line = Played.lines[Next];
        if (line.kind != ScriptEventKind::Outcome)
            continue;
        ++Checked;
        if (line.state == CurrentState && line.score == PlayerScore && line.explosions == ExplosionCount)
            continue;
        Failed = true;
        ReportProblem("frame " + std::to_string(frame) + " differs from the recording: it says " +
                      Outcome(line.state, line.score, line.explosions) + ", the game has " +
                      Outcome(CurrentState, PlayerScore, ExplosionCount));
    }
}

long PlaybackOutcomesChecked() { return Checked; }
bool PlaybackFailed() { return Failed; }
