#include "session/playback.h"

#include <climits>
#include <cstdio>

#include "session/report.h"
#include "world/globals.h"
#include "world/particles.h"

namespace {

Script Played;
size_t Next = 0; // the first line not yet played
PlaybackMode Mode = PlaybackMode::Live;
long Checked = 0;
long FirstFailed = -1;
std::string FirstFailure;

std::string Outcome(int state, int score, int explosions)
{
    return "state " + std::to_string(state) + " score " + std::to_string(score) + " explosions " +
           std::to_string(explosions);
}

int StandingCount()
{
    int count = 0;
    for (int g = 0; g < ParticleCount; g += ParticlesPerPerson)
        count += particles[g].standing ? 1 : 0;
    return count;
}

} // namespace

void StartPlayback(const Script& script, PlaybackMode mode)
{
    Played = script;
    Next = 0;
    Mode = mode;
    Checked = 0;
    FirstFailed = -1;
    FirstFailure.clear();
}

bool PlaybackActive() { return Next < Played.lines.size(); }
bool PlaybackFollowsWindow() { return Mode == PlaybackMode::Replay; }
long PlaybackNextFrame() { return PlaybackActive() ? Played.lines[Next].frame : LONG_MAX; }

long PlaybackShownFrom() { return Played.from; }

void StopPlayback() { Next = Played.lines.size(); }

bool PlaybackRunsThrough(long frame) { return Mode == PlaybackMode::Live && PlaybackActive() && frame < Played.from; }

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
    if (!PlaybackActive())
        return;
    for (; Next < Played.lines.size() && Played.lines[Next].frame <= frame; ++Next) {
        const ScriptLine& line = Played.lines[Next];
        if (line.kind != ScriptEventKind::Outcome)
            continue;
        ++Checked;
        if (line.state == CurrentState && line.score == PlayerScore && line.explosions == ExplosionCount)
            continue;
        std::string failure = "frame " + std::to_string(frame) + " differs from the recording: it says " +
                              Outcome(line.state, line.score, line.explosions) + ", the game has " +
                              Outcome(CurrentState, PlayerScore, ExplosionCount);
        if (FirstFailed < 0) {
            FirstFailed = frame;
            FirstFailure = failure;
        }
        ReportProblem(failure);
    }
    if (!PlaybackActive() && Mode == PlaybackMode::Live) {
        std::printf("%s\n", PlaybackSummary(frame + 1).c_str());
        std::fflush(stdout);
    }
}

long PlaybackOutcomesChecked() { return Checked; }
bool PlaybackFailed() { return FirstFailed >= 0; }
long PlaybackFirstFailedFrame() { return FirstFailed; }
std::string PlaybackFirstFailure() { return FirstFailure; }

std::string PlaybackSummary(long frames)
{
    char line[256];
    std::snprintf(line, sizeof line,
                  "{\"frames\":%ld,\"state\":%d,\"score\":%d,\"explosions\":%d,\"standing\":%d,\"fusewalkersLeft\":%d,"
                  "\"outcomesChecked\":%ld}",
                  frames, int(CurrentState), int(PlayerScore), int(ExplosionCount), StandingCount(),
                  int(FusewalkersLeft), Checked);
    return line;
}
