#include "sim/fuse.h"

#include <cstdint>

#include "world/globals.h"
// A burning fuse draws its countdown label inside the step.
#include "render/font.h"
#include "world/particles.h"

void LightFuse()
{
    if (ClickPending == 0 || FusewalkersLeft < 1)
        return;
    FusewalkersLeft -= 1;
    ClickPending = 0;

    Vec4 target(CursorX, -1.0f, CursorZ + 0.8f);
    float best = 10000.0f;
    int chosen = 0;
    for (int g = 0; g < ParticleCount; g += ParticlesPerPerson) {
        Vec4 d = particles[g].pos;
        d -= target;
        float distance = d.Length();
        if (distance < best) {
            best = distance;
            chosen = g;
        }
    }
    particles[chosen].fuse = FuseLit;
}

void UpdateFuse(int p)
{
    Particle& head = particles[p * ParticlesPerPerson];
    float f = head.fuse;
    if (f > 0.0f) {
        SetColour(1.0f, 0.0f, 0.0f, 1.0f);
        DrawNumber(int(f), head.pos, LabelSize);
        head.fuse = f - 1.0f;
    } else if (f > -1.0f) {
        ExplosionCount += 1;
        head.fuse = FuseOut;
        Detonate(p);
    }
}

void Detonate(int p)
{
    Vec4 centre = particles[p * ParticlesPerPerson].pos;
    centre.y -= BlastDrop;
    for (int g = 0; g < ParticleCount; ++g) {
        Particle& particle = particles[g];
        Vec4 v = particle.pos;
        v -= centre;
        float d = v.Length();
        if (!(d < BlastRadius))
            continue;
        // A particle on the centre itself has no direction to be thrown in:
        // it keeps its velocity but is still knocked down.
        if (d > 0.0f) {
            v *= 1.0f / d;
            v *= 1.0f / d;
            particle.vel += v;
        }
        if (particle.standing == 1)
            PlayerScore += 1;
        particle.standing = 0;
    }
}

void ScoreImpact(int g, float speed)
{
    if (!IsHead(g) || particles[g].standing != 0)
        return;
    // The score stops at the largest int rather than wrapping past it.
    float total = float(PlayerScore) + speed;
    PlayerScore = total < 2147483648.0f ? int(total) : INT32_MAX;
}
