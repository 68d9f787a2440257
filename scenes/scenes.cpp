#include "scenes/scenes.h"

#include "game/frame.h"
#include "world/globals.h"
#include "sim/physics.h"
#include "world/particles.h"
#include "world/round.h"

void StartRound()
{
    ResetRound();
    CurrentState = Playing;
    FusewalkersLeft = FusewalkersPerRound;
    ExplosionCount = 0;
    PlayerScore = 0;
}

void LightPerson(int p)
{
    particles[p * ParticlesPerPerson].fuse = 100.0f;
    FusewalkersLeft -= 1;
}

void RunSteps(int n)
{
    for (int i = 0; i < n; ++i) {
        StepSimulation(TimeStep);
        FrameClock += 0.1f;
    }
}

void MidRoundCrowd()
{
    StartRound();
    LightPerson(200);
    LightPerson(500);
    LightPerson(800);
    RunSteps(101 + 10);
}

void WorstCaseKnockOnCrowd()
{
    StartRound();
    for (int p = 1; p < PeopleCount; p += 2)
        particles[p * ParticlesPerPerson].standing = 0;
}
