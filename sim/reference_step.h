#pragma once

// The plain versions of the two passes the game runs faster: the knock-on
// test over all pairs of fallen and standing heads, and the link sweep one
// particle at a time. They are not part of the game: the tests hold the
// game's passes to them byte for byte, and the benchmarks measure one against
// the other. The movement and box passes have no faster form; the reference
// step uses the game's own.

void ReferenceStepSimulation(float dt);

void ReferenceSpreadFalls();
void ReferenceRelaxLinks();
