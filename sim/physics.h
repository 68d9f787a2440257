#pragma once

constexpr float TimeStep = 0.0031f;
constexpr float FloorHeight = -0.99f;

// Advances the whole crowd by one step of dt: movement (with the fuses),
// falls spreading, one sweep of link relaxation, then the box.
void StepSimulation(float dt);

// The four passes, in the order StepSimulation runs them (the second is SpreadFalls).
void MoveParticles(float dt);
void RelaxLinks();
void CollideWithBox();

// The links of particle g alone, relaxed in their stored order: one step of
// the plain sweep, which the link pass follows exactly.
void RelaxParticle(int g);
