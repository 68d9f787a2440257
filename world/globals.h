#pragma once

#include <cstdint>

enum GameState : int32_t { Title = 0, Playing = 1, Score = 2 };

// The game's shared scalars. The shells, the input handling, the frame,
// the simulation and the drawing talk to each other through these.
extern int32_t CurrentState;
extern int32_t ClickPending;
extern int32_t FusewalkersLeft;
extern int32_t ExplosionCount;
extern int32_t PlayerScore;
extern float FrameClock;
extern float CursorX;
extern float CursorZ;
extern int32_t ScreenWidth;
extern int32_t ScreenHeight;
