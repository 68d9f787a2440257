#pragma once

// The plain crowd drawing the game's batched one must match pixel for pixel:
// part by part, each strip on its own between glBegin and glEnd, with the
// body-part state set again for every part. Not part of the game: the tests
// compare the two and the benchmarks time one against the other.
// g is the global index of the person's head particle; side picks arm or
// leg 0 or 1.
void ReferenceDrawPeople();
void DrawHead(unsigned int g);
void DrawTorso(unsigned int g);
void DrawLeg(unsigned int g, int side);
void DrawArm(unsigned int g, int side);
