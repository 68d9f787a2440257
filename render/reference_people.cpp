#include "render/reference_people.h"

#include "render/body_parts.h"
#include "render/gl.h"
#include "world/particles.h"

namespace {

void BeginBodyPart()
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glAlphaFunc(GL_GREATER, 0.9f);
    glEnable(GL_ALPHA_TEST);
}

void DrawStrips(const StripVertex* vertices, int strips)
{
    for (int strip = 0; strip < strips; ++strip) {
        glBegin(GL_TRIANGLE_STRIP);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        for (int k = 0; k < VerticesPerStrip; ++k) {
            const StripVertex& v = vertices[strip * VerticesPerStrip + k];
            glTexCoord2f(v.s, v.t);
            glVertex3f(v.x, v.y, v.z);
        }
        glEnd();
    }
}

// g is the global index of the person's head particle; side picks arm or leg 0 or 1.
void DrawHead(unsigned int g)
{
    BeginBodyPart();
    StripVertex strip[VerticesPerStrip];
    HeadStrip(g, strip);
    DrawStrips(strip, 1);
}

void DrawTorso(unsigned int g)
{
    BeginBodyPart();
    StripVertex strip[VerticesPerStrip];
    TorsoStrip(g, strip);
    DrawStrips(strip, 1);
}

void DrawLeg(unsigned int g, int side)
{
    BeginBodyPart();
    StripVertex strips[2 * VerticesPerStrip];
    LegStrips(g, side, strips);
    DrawStrips(strips, 2);
}

void DrawArm(unsigned int g, int side)
{
    BeginBodyPart();
    StripVertex strips[2 * VerticesPerStrip];
    ArmStrips(g, side, strips);
    DrawStrips(strips, 2);
}

} // namespace

void ReferenceDrawPeople()
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
