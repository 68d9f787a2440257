#pragma once

// The plain physics step, written pass for pass exactly as the rules read:
// every particle in index order, the knock-on test over all pairs of fallen
// and standing heads, one link at a time. It is not part of the game: the
// tests hold the game's fast step to it byte for byte, and the benchmarks
// measure one against the other.

void ReferenceStepSimulation(float dt);

void ReferenceMoveParticles(float dt);
void ReferenceSpreadFalls();
void ReferenceRelaxLinks();
void ReferenceCollideWithBox();
