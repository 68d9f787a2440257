#include "render/people.h"

#include "render/gl.h"
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

void BeginBodyPart()
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glAlphaFunc(GL_GREATER, 0.9f);
    glEnable(GL_ALPHA_TEST);
}

struct Corner {
    Vec4 position;
    float s, t;
};

void Strip(const Corner (&corners)[4])
{
    glBegin(GL_TRIANGLE_STRIP);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    for (const Corner& c : corners) {
        glTexCoord2f(c.s, c.t);
        glVertex3f(c.position.x, c.position.y, c.position.z);
    }
    glEnd();
}

// A limb as two strips, root to joint and joint to end, with one offset.
// The upper half of the band (t 1 to 0.5) is the upper limb.
void Limb(Vec4 root0, Vec4 root1, Vec4 joint, Vec4 end, Vec4 offset, float s0, float s1)
{
    Strip({{root0, s0, 1.0f}, {root1, s1, 1.0f},
           {Difference(joint, offset), s0, 0.5f}, {Sum(joint, offset), s1, 0.5f}});
    Strip({{Difference(joint, offset), s0, 0.5f}, {Sum(joint, offset), s1, 0.5f},
           {Difference(end, offset), s0, 0.0f}, {Sum(end, offset), s1, 0.0f}});
}

} // namespace

void DrawHead(unsigned int g)
{
    BeginBodyPart();
    Vec4 u = Difference(P(g, Head), P(g, Neck));
    u.Normalize();
    Vec4 a = Scaled(u, HeadHalfSize);
    Vec4 b = Scaled(Side(u, ShoulderLine(g)), HeadHalfSize);
    Vec4 head = P(g, Head);
    Strip({{Sum(Difference(head, b), a), 0.0f, 0.0f},
           {Sum(Sum(head, b), a), 0.2f, 0.0f},
           {Difference(Difference(head, b), a), 0.0f, 1.0f},
           {Difference(Sum(head, b), a), 0.2f, 1.0f}});
}

void DrawTorso(unsigned int g)
{
    BeginBodyPart();
    // Shift the shoulders' top edge so their midpoint lands on the neck.
    Vec4 d = Difference(P(g, Neck), Scaled(Sum(P(g, Shoulder1), P(g, Shoulder0)), 0.5f));
    Strip({{Sum(P(g, Shoulder0), d), 0.2f, 1.0f},
           {Sum(P(g, Shoulder1), d), 0.4f, 1.0f},
           {P(g, Hip1), 0.2f, 0.0f},
           {P(g, Hip0), 0.4f, 0.0f}});
}

void DrawLeg(unsigned int g, int side)
{
    BeginBodyPart();
    int hip = side == 0 ? Hip0 : Hip1;
    int knee = side == 0 ? Knee0 : Knee1;
    int foot = side == 0 ? Foot0 : Foot1;
    Vec4 u = Difference(P(g, hip), P(g, knee));
    u.Normalize();
    Vec4 c = Scaled(Side(u, ShoulderLine(g)), LegHalfWidth);
    Vec4 middle = Scaled(Sum(P(g, Hip0), P(g, Hip1)), 0.5f);
    // Leg 1 shows the leg band mirrored.
    if (side == 0)
        Limb(P(g, hip), middle, P(g, knee), P(g, foot), c, 0.4f, 0.6f);
    else
        Limb(middle, P(g, hip), P(g, knee), P(g, foot), c, 0.6f, 0.4f);
}

void DrawArm(unsigned int g, int side)
{
    BeginBodyPart();
    int shoulder = side == 0 ? Shoulder0 : Shoulder1;
    int elbow = side == 0 ? Elbow0 : Elbow1;
    int hand = side == 0 ? Hand0 : Hand1;
    Vec4 u = Difference(P(g, shoulder), P(g, elbow));
    u.Normalize();
    // The arm's width lies in the x-y plane, whatever the shoulders do.
    Vec4 w = Scaled(u.Cross(Vec4(0.0f, 0.0f, 1.0f)), ArmHalfWidth);
    Vec4 root = P(g, shoulder);
    if (side == 0)
        Limb(Difference(root, w), Sum(root, w), P(g, elbow), P(g, hand), w, 0.6f, 0.8f);
    else
        Limb(Difference(root, w), Sum(root, w), P(g, elbow), P(g, hand), w, 0.8f, 0.6f);
}

void DrawPeople()
{
    for (unsigned int g = 0; g < ParticleCount; g += ParticlesPerPerson) {
        DrawHead(g);
        DrawTorso(g);
        DrawLeg(g, 0);
        DrawLeg(g, 1);
        DrawArm(g, 0);
        DrawArm(g, 1);
    }
}
