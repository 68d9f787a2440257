#pragma once

#include <string>
#include <vector>

#include "session/script.h"

// A script or recording played back through the routing layer: its events
// go in before their frames, and its outcome lines are checked after theirs.

enum class PlaybackMode {
    // The game in its own window (--play): the window stays as the player
    // has it, and when the last line has played the summary goes to
    // standard output.
    Live,
    // The replay tool, which stands in for the player's window: the
    // script's window lines set the game's window size, and the tool
    // reports for itself.
    Replay,
};

void StartPlayback(const Script& script, PlaybackMode mode);
bool PlaybackActive(); // lines are left to play
bool PlaybackFollowsWindow();
// A live playback of a shared round runs the frames before its "from" line
// at once, unseen: they only bring the game to where the round starts.
bool PlaybackRunsThrough(long frame);
long PlaybackShownFrom(); // the "from" frame; 0 without one

// The frame of the next line to play or check; LONG_MAX when none is left.
long PlaybackNextFrame();

// Ends the playback here, as if its last line had played; the game is the
// player's from the next frame on.
void StopPlayback();

// The events due before this frame runs, outcome lines left out.
std::vector<ScriptLine> PlaybackEvents(long frame);

// After the frame: checks its outcome lines against the game, reporting each
// that differs on standard error, and moves past the frame. A live playback
// that has just played its last line prints the summary.
void CheckPlaybackOutcomes(long frame);

long PlaybackOutcomesChecked();
bool PlaybackFailed(); // an outcome line did not match
long PlaybackFirstFailedFrame(); // -1 while every outcome has matched
std::string PlaybackFirstFailure(); // what differed there; empty while every outcome has matched

// The game as it stands after `frames` frames, one JSON object on one line
// (no newline), with the count of outcome lines found to match.
std::string PlaybackSummary(long frames);
