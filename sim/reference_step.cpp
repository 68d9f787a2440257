#include "sim/reference_step.h"

#include <cmath>
#include <utility>

#include "game/globals.h"
#include "sim/fuse.h"
#include "sim/sway.h"
#include "sim/physics.h"
#include "world/particles.h"

namespace {

constexpr float Gravity = -9.8f;
constexpr float LinkGain = 40.0f;
constexpr float FloorBounce = -0.4f;
constexpr float FloorFriction = 0.5f;
constexpr float WallBounce = -0.9f;

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

void ReferenceMoveParticles(float dt)
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
    for (int g = 0; g < ParticleCount; ++g) {
        Particle& p = particles[g];
        if (p.standing)
            continue;
        for (int j = 0; j < p.linkCount; ++j) {
            Particle& q = particles[p.links[j].target];
            Vec4 u = p.pos;
            u -= q.pos;
            float length = u.Length();
            if (length == 0.0f)
                continue;
            u *= 1.0f / length;
            float stretch = length - p.links[j].restLength;

            Vec4 e = u;
            e *= LinkGain * stretch;
            p.vel -= e;
            if (!q.standing)
                q.vel += e;

            Vec4 c = u;
            c *= 0.5f * stretch;
            p.pos -= c;
            if (!q.standing)
                q.pos += c;
        }
    }
}

void ReferenceCollideWithBox()
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

void ReferenceStepSimulation(float dt)
{
    ReferenceMoveParticles(dt);
    ReferenceSpreadFalls();
    ReferenceRelaxLinks();
    ReferenceCollideWithBox();
}
