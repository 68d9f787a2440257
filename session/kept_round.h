#pragma once

#include <string>

#include "session/script.h"

// The round under way, kept as the routing layer delivers its events, so
// that it can be shared as a recording that replays it alone: its lines from
// the title screen that began it to its outcome, and what it inherits from
// the rounds before it. Every round starts from the same crowd, but not from
// the same game:
//  - the frame clock runs on from the window's creation, and the sway of
//    every standing person reads it: the round's lines keep their frame
//    numbers, and a "from" line has the frames before them run through;
//  - the cursor keeps its last place: a move to it where the round starts;
//  - the drawing state is what the last playing frame left (the red of the
//    score, blending and the alpha test on): when a round was played before,
//    a click at frame 0 plays one frame and a size message at frame 2 makes
//    a fresh round again, unseen.

// A new window: nothing has been played, and the first round starts at 0.
void KeepNewWindow();
// The round shown from this frame on starts afresh (a size message before
// it, or the click on the score screen in the frame before it).
void KeepRoundStart(long frame);
// A frame ran on the playing screen; whether it was played back.
void KeepPlayingFrame(bool playedBack);
// Mouse events in client pixels, with the display they are mapped against.
void KeepPointer(ScriptEventKind kind, long frame, int x, int y, int displayWidth, int displayHeight);
// Size, window and outcome lines.
void KeepLine(const ScriptLine& line);

// The kept round has reached its outcome.
bool KeptRoundEnded();
// Any of its playing frames came from a recording played back.
bool KeptRoundPlayedBack();
// The kept round as a recording at this pace, up to its outcome line.
Script KeptRoundScript(int pace);
