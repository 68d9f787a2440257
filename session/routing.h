#pragma once

// The one routing layer between a platform shell and the game. Every front
// end (the Win32 window, the SDL2 window, the headless replay) turns its own
// events into exactly these calls, so the game sees the same inputs whatever
// delivers them. Here too every routed event is recorded (--record), the
// round under way is kept for sharing, and a recording plays back (--play),
// in place of the shell's own input until it ends. All but the mouse routes
// need the OpenGL context current.

// The window exists, ScreenWidth and ScreenHeight hold its size and its
// context is current: freed heap kept for reuse, clock to 0, render set-up,
// first round.
void RouteCreate();

// Any size message (resize, minimise, restore): render set-up and a new
// round, with ScreenWidth and ScreenHeight as the shell has left them.
void RouteSize();

// One frame: RunFrame, then glFinish. The shell presents the buffer after.
// A shared round's playback runs the frames before its round in the first.
void RoutePaint();

// A shared round's playback: the frames before its round, unseen, for at
// most about `seconds`; true once the round's first frame is the next.
// A shell that must not stall runs them so, a little at a time, before
// it paints.
bool RouteRunThrough(double seconds);

// Runs the frames up to `frame` (the frame itself not included) unseen, as
// fast as the game's state allows: a frame that can leave nothing but the
// clock's step is not drawn, only its clock step taken. For at most about
// `seconds`; true once `frame` is the next.
bool RouteUnseenFrames(long frame, double seconds);

// Mouse in client pixels, with the size of the display it is mapped against.
void RouteMouseMove(int mx, int my, int displayWidth, int displayHeight);
void RouteLeftButtonDown(int mx, int my, int displayWidth, int displayHeight);

// The shell is about to end: the recording states the game as it stands and
// is closed. The game itself keeps nothing that needs releasing.
void RouteClose();

// Frames run since the window was created.
long RoutedFrames();
