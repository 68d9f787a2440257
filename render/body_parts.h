#pragma once

// Where a person's paper figure lies: each body part as triangle strips of
// four textured vertices, worked out in this one place so that every way of
// drawing the crowd hands OpenGL the very same vertices. g is the global
// index of the person's head particle; side picks arm or leg 0 or 1
// (anything but 0 is 1).

struct StripVertex {
    float x, y, z;
    float s, t;
};

constexpr int VerticesPerStrip = 4;
// Head, torso, and two strips for each leg and each arm.
constexpr int StripsPerPerson = 10;
constexpr int VerticesPerPerson = StripsPerPerson * VerticesPerStrip;

// One strip each.
void HeadStrip(unsigned int g, StripVertex* out);
void TorsoStrip(unsigned int g, StripVertex* out);
// Two strips each: root to joint, joint to end.
void LegStrips(unsigned int g, int side, StripVertex* out);
void ArmStrips(unsigned int g, int side, StripVertex* out);

// All ten strips in drawing order: head, torso, leg 0, leg 1, arm 0, arm 1.
void PersonStrips(unsigned int g, StripVertex* out);
