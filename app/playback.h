#pragma once

#include <vector>

#include "app/script.h"

// A script or recording played back through the routing layer: its events
// go in before their frames, and its outcome lines are checked after theirs.

// followWindow: the script's window lines set the game's window size (the
// replay tool, which stands in for the player's window); the live game keeps
// its own window.
void StartPlayback(const Script& script, bool followWindow);
bool PlaybackActive(); // lines are left to play
bool PlaybackFollowsWindow();

// The events due before this frame runs, outcome lines left out.
std::vector<ScriptLine> PlaybackEvents(long frame);

// After the frame: checks its outcome lines against the game, reporting each
// that differs on standard error, and moves past the frame.
void CheckPlaybackOutcomes(long frame);

long PlaybackOutcomesChecked();
bool PlaybackFailed(); // an outcome line did not match
