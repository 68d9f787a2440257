#pragma once

// The plain crowd drawing the game's batched one must match pixel for pixel:
// part by part, each strip on its own between glBegin and glEnd, with the
// body-part state set again for every part. Not part of the game: the tests
// compare the two and the benchmarks time one against the other.
void ReferenceDrawPeople();
