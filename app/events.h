#pragma once

// The one routing layer between a platform shell and the game. Every front
// end (the Win32 window, the SDL2 window, the headless replay) turns its own
// events into exactly these calls, so the game sees the same inputs whatever
// delivers them. All but the mouse routes need the OpenGL context current.
// Closing the window is the shell's own business: the game keeps nothing
// that needs releasing.

// The window exists and its context is current: freed heap kept for reuse,
// clock to 0, render set-up, first round.
void RouteCreate();

// Any size message (resize, minimise, restore): render set-up and a new round.
void RouteSize();

// One frame: RunFrame, then glFinish. The shell presents the buffer after.
void RoutePaint();

// Mouse in client pixels, with the current display mode's size.
void RouteMouseMove(int mx, int my, int displayWidth, int displayHeight);
void RouteLeftButtonDown(int mx, int my, int displayWidth, int displayHeight);

