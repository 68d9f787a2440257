#pragma once

// Crowds shared by the tests and the benchmarks.

// A fresh round in the Playing state, as the click on the title leaves it.
void StartRound();

// Lights person p's fuse as a click on it would, using up one Fusewalker.
void LightPerson(int p);

// Runs n playing steps of the simulation alone (no drawing of the scene).
void RunSteps(int n);

// Three fuses lit far apart and run until all three have gone off, ten
// steps on: somewhat over half the crowd is down and still falling.
void MidRoundCrowd();

// Every odd person fallen where it stood, every even one standing: the
// knock-on pass tests all 500 x 500 pairs and finds no touch.
void WorstCaseKnockOnCrowd();
