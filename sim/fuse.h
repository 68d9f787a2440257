#pragma once

// The game's rules inside the simulation: lighting fuses, the countdown,
// blasts, falls spreading through the crowd and the casualty score.

constexpr float FuseLit = 100.0f;
constexpr float BlastRadius = 0.5f;
constexpr float BlastDrop = 0.2f; // the blast centre lies this far below the head
constexpr float KnockOnDistanceSquared = 0.000196f;
constexpr float LabelSize = 0.025f;

// Consumes a pending click by lighting the fuse of the head nearest to the
// cursor's ground point, while the player has Fusewalkers left.
void LightFuse();

// Counts person p's fuse down and draws its label, or sets off the blast.
void UpdateFuse(int p);

// Pushes every particle within reach away from a point below p's head and
// knocks down every standing head it reaches.
void Detonate(int p);

// Fallen heads knock down the standing heads they touch.
void SpreadFalls();

// Fallen heads score the whole part of the speed they strike the box with.
void ScoreImpact(int g, float speed);
