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

// The web page's pace, timed from the animation frames' own clock: the game
// frames whose time has come run in the animation frame that sees it, so a
// round lasts the same seconds on a display of any refresh rate. A frame is
// taken a little early, so that the refreshes of the usual displays fall
// clear of the frames' times, and the frames take a steady pattern of them
// (at 144 Hz, two or three).
struct PageClock {
    double start = -1.0; // seconds, when the count began; below 0 before
    long frames = 0; // frames run since
    double last = 0.0; // the animation frame before
};

// The frames due at `now` (seconds, the animation frame's own time) at
// `pace` frames a second. An animation frame more than StallSeconds after
// the one before (the page was hidden, or behind another) starts the count
// afresh, with one frame: no burst of frames after a stall. They count as
// run: frames the caller leaves out for want of time are not owed later.
constexpr double StallSeconds = 0.25;
long FramesDue(PageClock* clock, double now, int pace);
