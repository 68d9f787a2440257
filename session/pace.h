#pragma once

// A steady pace on machines that draw faster than the player wants: at most
// N frames a second. The simulation still takes one fixed step per playing
// frame, so a round plays the same at any pace. Without a pace (0) frames
// run back to back, as the game always has.

void SetPace(int framesPerSecond);
int Pace();

// Called by a shell right after it presents a frame: waits until the next
// frame is due, with a coarse sleep and then a short spin.
void WaitForNextFrame();

// When the next frame is due, seen at `now`, if the frame just shown was due
// at `due` (seconds on a steady clock; 0 before the first frame). Deadlines
// stay a whole period apart, so a frame a little late is made up for; more
// than a period behind, the count starts afresh from now instead of letting
// a burst of frames catch up.
double NextFrameDue(double due, double now, double period);
