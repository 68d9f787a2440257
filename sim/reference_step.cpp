#include "sim/reference_step.h"

#include "sim/fuse.h"
#include "sim/physics.h"
#include "world/particles.h"

void ReferenceSpreadFalls()
{
    for (int k = 0; k < ParticleCount; k += ParticlesPerPerson) {
        if (particles[k].standing)
            continue;
        for (int m = 0; m < ParticleCount; m += ParticlesPerPerson) {
            if (!particles[m].standing)
                continue;
            Vec4 d = particles[k].pos;
            d -= particles[m].pos;
            if (d.LengthSquared() < KnockOnDistanceSquared)
                particles[m].standing = 0;
        }
    }
}

void ReferenceRelaxLinks()
{
    for (int g = 0; g < ParticleCount; ++g)
        RelaxParticle(g);
}

void ReferenceStepSimulation(float dt)
{
    MoveParticles(dt);
    ReferenceSpreadFalls();
    ReferenceRelaxLinks();
    CollideWithBox();
}
