#include "world/round.h"

#include "world/globals.h"
// Upward, by the game's rules: every round reset also prepares the font.
#include "render/font.h"
#include "world/particles.h"
#include "world/ragdoll_file.h"

void ResetRound()
{
    LoadRagdollTemplate();
    InitFontTables();
    PlayerScore = 0;
    CurrentState = Title;

    // The grid is laid over particle indices, not people: every 1000
    // particles start a new row, which staggers the rows in threes.
    for (int g = 0; g < ParticleCount; ++g) {
        Particle& p = particles[g];
        int column = g % 1000;
        p.pos = Vec4(float(column) * 0.002f - 1.0f, -0.9f, float(g - column) * 0.000055555556f);
        p.vel = Vec4();
        p.standing = 0;
        p.fuse = FuseOut;
    }

    for (int person = 0; person < PeopleCount; ++person) {
        int base = person * ParticlesPerPerson;
        for (int k = 0; k < ParticlesPerPerson; ++k) {
            Particle& p = particles[base + k];
            const SkeletonEntry& s = Skeleton[k];
            p.linkCount = s.linkCount;
            for (int j = 0; j < s.linkCount; ++j) {
                p.links[j].target = base + s.target[j];
                p.links[j].restLength = s.restLength[j];
            }
        }
        particles[base + Head].standing = 1;

        Vec4 pelvis = particles[base + Pelvis].pos;
        for (int k = 0; k < ParticlesPerPerson; ++k) {
            if (k == Pelvis)
                continue;
            Vec4 pos = RagdollTemplate[k];
            pos *= TemplateScale;
            pos += pelvis;
            particles[base + k].pos = pos;
        }
    }
}
