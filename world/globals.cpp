#include "world/globals.h"

int32_t CurrentState = Title;
int32_t ClickPending = 0;
int32_t FusewalkersLeft = 0;
int32_t ExplosionCount = 0;
int32_t PlayerScore = 0;
float FrameClock = 0.0f;
float CursorX = 0.0f;
float CursorZ = 0.0f;
int32_t ScreenWidth = 0;
int32_t ScreenHeight = 0;
