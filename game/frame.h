#pragma once

constexpr int FusewalkersPerRound = 3;
constexpr int ExplosionsPerRound = 3;
constexpr float RestSpeedSquared = 0.02f;

// Draws and advances one frame of the current game state.
void RunFrame();

// The frame clock's step at the end of every frame.
void AdvanceFrameClock();

// The end-of-round test on the crowd as it stands: nothing fallen still
// moves, and either every blast has gone off or nobody stands.
bool RoundHasEnded();
