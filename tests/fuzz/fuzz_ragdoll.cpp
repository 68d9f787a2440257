// Any bytes as ragdoll.rag, then a round with three lit fuses: whatever the
// pose, the crowd stays finite and inside the box.
#include <cmath>
#include <cstdint>

#include "sim/physics.h"
#include "scenes/scenes.h"
#include "tests/test_files.h"
#include "world/particles.h"

namespace {

bool Finite(const Vec4& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

bool InTheBox(const Vec4& p) { return p.x >= -1.0f && p.x <= 1.0f && p.y >= FloorHeight && p.z >= 0.0f && p.z <= 1.0f; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TempWorkDir dir;
    WriteFile("ragdoll.rag", Bytes(data, data + size));
    // A short file fills only the start of the template: begin each input
    // from the zeros the program starts with.
    for (Vec4& v : RagdollTemplate)
        v = Vec4();
    StartRound();
    // Lit late in the count, so that all three blasts go off within the steps.
    for (int person : {200, 500, 800}) {
        LightPerson(person);
        particles[person * ParticlesPerPerson].fuse = float(10 + person / 100);
    }
    // The step draws the countdown labels; with no OpenGL context current
    // those calls do nothing.
    RunSteps(50);
    for (const Particle& p : particles)
        if (!Finite(p.pos) || !Finite(p.vel) || !InTheBox(p.pos))
            __builtin_trap();
    return 0;
}
