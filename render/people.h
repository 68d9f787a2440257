#pragma once

// Every person as a textured paper figure on its particles, the whole crowd
// in one batch.
void DrawPeople();
