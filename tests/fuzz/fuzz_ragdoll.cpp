// Any bytes as ragdoll.rag, then three blasts: whatever the pose, the crowd stays finite and inside the box.
#include <cstdint>

#include "scenes/scenes.h"
#include "tests/test_files.h"
#include "tools/replay_check.h"
#include "world/particles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TempWorkDir dir;
    WriteFile("ragdoll.rag", Bytes(data, data + size));
    // A short file fills only the template's start: each input begins from the zeros the program starts with.
    for (Vec4& v : RagdollTemplate)
        v = Vec4();
    StartRound();
    // Lit late in the count, so that all three blasts go off within the steps.
    for (int person : {200, 500, 800}) {
        LightPerson(person);
        particles[person * ParticlesPerPerson].fuse = float(10 + person / 100);
    }
    // The step draws the countdown labels: with no OpenGL context current those calls do nothing.
    RunSteps(50);
    if (!CheckCrowd(true).empty())
        __builtin_trap();
    return 0;
}
