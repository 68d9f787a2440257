#include "sim/physics.h"

#include <cmath>
#include <utility>

#include "world/globals.h"
#include "sim/fuse.h"
#include "sim/sway.h"
#include "world/particles.h"

namespace {

constexpr float Gravity = -9.8f;
constexpr float FloorBounce = -0.4f;
constexpr float FloorFriction = 0.5f;
constexpr float WallBounce = -0.9f;

// Hips swap so both legs hang on the side matching the shoulders.
void OrderHips(int head)
{
    Particle* person = particles + head;
    Vec4 a = person[Shoulder1].pos;
    a -= person[Shoulder0].pos;
    Vec4 b = person[Hip1].pos;
    b -= person[Hip0].pos;
    if (a.Dot(b) > 0.0f) {
        std::swap(person[Hip1].pos, person[Hip0].pos);
        std::swap(person[Hip1].vel, person[Hip0].vel);
    }
}

} // namespace

void MoveParticles(float dt)
{
    for (int g = 0; g < ParticleCount; ++g) {
        Particle& p = particles[g];
        if (IsHead(g)) {
            OrderHips(g);
            UpdateFuse(g / ParticlesPerPerson);
        }
        if (p.standing) {
            p.pos.x = float(double(p.pos.x) + SwayOffset(g, FrameClock));
        } else {
            Vec4 step = p.vel;
            step *= dt;
            p.pos += step;
            p.vel.y += Gravity * dt;
        }
    }
}

void CollideWithBox()
{
    for (int g = 0; g < ParticleCount; ++g) {
        Vec4& pos = particles[g].pos;
        Vec4& vel = particles[g].vel;
        if (pos.y < FloorHeight) {
            if (vel.y < 0.0f) {
                ScoreImpact(g, std::fabs(vel.y));
                vel.y = FloorBounce * vel.y;
                vel.x = FloorFriction * vel.x;
                vel.z = FloorFriction * vel.z;
            }
            pos.y = FloorHeight;
        }
        if (pos.x < -1.0f) {
            if (vel.x < 0.0f) {
                ScoreImpact(g, std::fabs(vel.x));
                vel.x = WallBounce * vel.x;
            }
            pos.x = -1.0f;
        }
        if (pos.x > 1.0f) {
            if (vel.x > 0.0f) {
                ScoreImpact(g, std::fabs(vel.x));
                vel.x = WallBounce * vel.x;
            }
            pos.x = 1.0f;
        }
        if (pos.z < 0.0f) {
            if (vel.z < 0.0f) {
                ScoreImpact(g, std::fabs(vel.z));
                vel.z = WallBounce * vel.z;
            }
            pos.z = 0.0f;
        }
        if (pos.z > 1.0f) {
            if (vel.z > 0.0f) {
                ScoreImpact(g, std::fabs(vel.z));
                vel.z = WallBounce * vel.z;
            }
            pos.z = 1.0f;
        }
    }
}

void StepSimulation(float dt)
{
    MoveParticles(dt);
    SpreadFalls();
    RelaxLinks();
    CollideWithBox();
}
