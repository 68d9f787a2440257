#pragma once

#include "render/people.h"

// One playing frame's world: the cursor marker, the click that lights a
// fuse, the room, the crowd and the running score. The tests and benchmarks
// hand it the plain crowd drawing to compare with the game's.
void DrawPlayingScene(void (*drawPeople)() = DrawPeople);

// The left, right, back walls and the floor, textured with the room band.
void DrawRoom();

// A triangle pointing at the cursor's ground point and two lines through it.
void DrawCursorMarker();
