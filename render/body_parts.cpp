#include "render/body_parts.h"

#include "world/particles.h"

namespace {

// Base sizes times the body scale, in single precision like the skeleton.
constexpr float HeadHalfSize = 0.0175f * 0.59f;
constexpr float LegHalfWidth = 0.0125f * 0.59f;
constexpr float ArmHalfWidth = 0.0075f * 0.59f;

Vec4 P(unsigned int g, int role) { return particles[g + role].pos; }

Vec4 Difference(Vec4 a, Vec4 b)
{
    a -= b;
    return a;
}

Vec4 Sum(Vec4 a, Vec4 b)
{
    a += b;
    return a;
}

Vec4 Scaled(Vec4 a, float s)
{
    a *= s;
    return a;
}

// From the shoulder of arm 1 to the shoulder of arm 0.
Vec4 ShoulderLine(unsigned int g)
{
    Vec4 v = Difference(P(g, Shoulder0), P(g, Shoulder1));
    v.Normalize();
    return v;
}

// The shoulder line with its part along u taken out; not normalised again,
// so a part lying along the shoulders draws with no width.
Vec4 Side(Vec4 u, Vec4 v) { return u.Cross(v).Cross(u); }

StripVertex Corner(Vec4 p, float s, float t) { return {p.x, p.y, p.z, s, t}; }

void Strip(StripVertex* out, StripVertex a, StripVertex b, StripVertex c, StripVertex d)
{
    out[0] = a;
    out[1] = b;
    out[2] = c;
    out[3] = d;
}

// A limb as two strips, root to joint and joint to end, with one offset.
// The upper half of the band (t 1 to 0.5) is the upper limb.
void Limb(StripVertex* out, Vec4 root0, Vec4 root1, Vec4 joint, Vec4 end, Vec4 offset, float s0, float s1)
{
    StripVertex joint0 = Corner(Difference(joint, offset), s0, 0.5f);
    StripVertex joint1 = Corner(Sum(joint, offset), s1, 0.5f);
    Strip(out, Corner(root0, s0, 1.0f), Corner(root1, s1, 1.0f), joint0, joint1);
    Strip(out + VerticesPerStrip, joint0, joint1, Corner(Difference(end, offset), s0, 0.0f),
          Corner(Sum(end, offset), s1, 0.0f));
}

void HeadAcross(unsigned int g, Vec4 shoulders, StripVertex* out)
{
    Vec4 u = Difference(P(g, Head), P(g, Neck));
    u.Normalize();
    Vec4 a = Scaled(u, HeadHalfSize);
    Vec4 b = Scaled(Side(u, shoulders), HeadHalfSize);
    Vec4 head = P(g, Head);
    Strip(out, Corner(Sum(Difference(head, b), a), 0.0f, 0.0f), Corner(Sum(Sum(head, b), a), 0.2f, 0.0f),
          Corner(Difference(Difference(head, b), a), 0.0f, 1.0f), Corner(Difference(Sum(head, b), a), 0.2f, 1.0f));
}

void LegAcross(unsigned int g, int side, Vec4 shoulders, StripVertex* out)
{
    int hip = side == 0 ? Hip0 : Hip1;
    int knee = side == 0 ? Knee0 : Knee1;
    int foot = side == 0 ? Foot0 : Foot1;
    Vec4 u = Difference(P(g, hip), P(g, knee));
    u.Normalize();
    Vec4 c = Scaled(Side(u, shoulders), LegHalfWidth);
    Vec4 middle = Scaled(Sum(P(g, Hip0), P(g, Hip1)), 0.5f);
    // Leg 1 shows the leg band mirrored.
    if (side == 0)
        Limb(out, P(g, hip), middle, P(g, knee), P(g, foot), c, 0.4f, 0.6f);
    else
        Limb(out, middle, P(g, hip), P(g, knee), P(g, foot), c, 0.6f, 0.4f);
}

} // namespace

void HeadStrip(unsigned int g, StripVertex* out) { HeadAcross(g, ShoulderLine(g), out); }

void TorsoStrip(unsigned int g, StripVertex* out)
{
    // Shift the shoulders' top edge so their midpoint lands on the neck.
    Vec4 d = Difference(P(g, Neck), Scaled(Sum(P(g, Shoulder1), P(g, Shoulder0)), 0.5f));
    Strip(out, Corner(Sum(P(g, Shoulder0), d), 0.2f, 1.0f), Corner(Sum(P(g, Shoulder1), d), 0.4f, 1.0f),
          Corner(P(g, Hip1), 0.2f, 0.0f), Corner(P(g, Hip0), 0.4f, 0.0f));
}

void LegStrips(unsigned int g, int side, StripVertex* out) { LegAcross(g, side, ShoulderLine(g), out); }

void ArmStrips(unsigned int g, int side, StripVertex* out)
{
    int shoulder = side == 0 ? Shoulder0 : Shoulder1;
    int elbow = side == 0 ? Elbow0 : Elbow1;
    int hand = side == 0 ? Hand0 : Hand1;
    Vec4 u = Difference(P(g, shoulder), P(g, elbow));
    u.Normalize();
    // The arm's width lies in the x-y plane, whatever the shoulders do.
    Vec4 w = Scaled(u.Cross(Vec4(0.0f, 0.0f, 1.0f)), ArmHalfWidth);
    Vec4 root = P(g, shoulder);
    if (side == 0)
        Limb(out, Difference(root, w), Sum(root, w), P(g, elbow), P(g, hand), w, 0.6f, 0.8f);
    else
        Limb(out, Difference(root, w), Sum(root, w), P(g, elbow), P(g, hand), w, 0.8f, 0.6f);
}

void PersonStrips(unsigned int g, StripVertex* out)
{
    // The head and both legs take their side from the one shoulder line.
    Vec4 shoulders = ShoulderLine(g);
    HeadAcross(g, shoulders, out);
    TorsoStrip(g, out + VerticesPerStrip);
    LegAcross(g, 0, shoulders, out + 2 * VerticesPerStrip);
    LegAcross(g, 1, shoulders, out + 4 * VerticesPerStrip);
    ArmStrips(g, 0, out + 6 * VerticesPerStrip);
    ArmStrips(g, 1, out + 8 * VerticesPerStrip);
}
