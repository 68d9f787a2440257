#pragma once

#include <string>

#include "session/options.h"

// Sets up what the options ask for, before the window opens: reads the
// recording to play, opens the one to write (only once everything else is
// sound, so a refused start loses nothing already written) and sets the
// pace: --fps, else the recording's own, else `pace` (the desktop game's 0,
// frames back to back). False, with one line naming the file (and the line
// in it), when the game must not start.
bool StartSession(const GameOptions& options, int pace, std::string* error);
