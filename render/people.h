#pragma once

// Every person as a textured paper figure on its particles. g is the global
// index of the person's head particle; side picks arm or leg 0 or 1.
void DrawPeople();
void DrawHead(unsigned int g);
void DrawTorso(unsigned int g);
void DrawLeg(unsigned int g, int side);
void DrawArm(unsigned int g, int side);
