#pragma once

// Rebuilds the crowd for a new round: re-reads the pose, places all 1000
// people on the grid, zeroes the score and goes back to the title screen.
void ResetRound();
