// The physics step on three crowds, the game's fast step beside the plain
// reference it must match, and the knock-on pass alone on its worst case.
// Every iteration starts from the same crowd, put back outside the timing.

#include <unistd.h>

#include <benchmark/benchmark.h>

#include "sim/fuse.h"
#include "sim/physics.h"
#include "sim/reference_step.h"
#include "scenes/game_snapshot.h"
#include "scenes/scenes.h"

namespace {

enum Crowd { Fresh, MidRound, WorstCaseKnockOn };

const GameSnapshot& CrowdSnapshot(Crowd crowd)
{
    // The crowds are built from the game's own ragdoll file.
    static const bool inDataFolder = chdir(FW_DATA_DIR) == 0;
    (void)inDataFolder;
    static const GameSnapshot fresh = (StartRound(), TakeSnapshot());
    static const GameSnapshot midRound = (MidRoundCrowd(), TakeSnapshot());
    static const GameSnapshot worstCase = (WorstCaseKnockOnCrowd(), TakeSnapshot());
    switch (crowd) {
    case MidRound: return midRound;
    case WorstCaseKnockOn: return worstCase;
    default: return fresh;
    }
}

template <void (*Run)()>
void OnCrowd(benchmark::State& state)
{
    const GameSnapshot& start = CrowdSnapshot(Crowd(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        RestoreSnapshot(start);
        state.ResumeTiming();
        Run();
        benchmark::ClobberMemory();
    }
}

void FastStep() { StepSimulation(TimeStep); }
void ReferenceStep() { ReferenceStepSimulation(TimeStep); }
void FastMove() { MoveParticles(TimeStep); }

void CrowdArguments(benchmark::internal::Benchmark* b)
{
    b->ArgName("crowd")->Arg(Fresh)->Arg(MidRound)->Arg(WorstCaseKnockOn)->Unit(benchmark::kMicrosecond);
}

void MidRoundOnly(benchmark::internal::Benchmark* b)
{
    b->ArgName("crowd")->Arg(MidRound)->Unit(benchmark::kMicrosecond);
}

} // namespace

// crowd: 0 all standing (start of a round), 1 mid-round (three blasts gone
// off, half the crowd down), 2 worst case for knock-on (500 fallen heads
// among 500 standing).
BENCHMARK(OnCrowd<FastStep>)->Name("StepSimulation")->Apply(CrowdArguments);
BENCHMARK(OnCrowd<ReferenceStep>)->Name("ReferenceStepSimulation")->Apply(CrowdArguments);

BENCHMARK(OnCrowd<SpreadFalls>)->Name("SpreadFalls")->Apply(CrowdArguments);
BENCHMARK(OnCrowd<ReferenceSpreadFalls>)->Name("ReferenceSpreadFalls")->Apply(CrowdArguments);

// The other passes one by one on the mid-round crowd, to see where a step goes.
BENCHMARK(OnCrowd<FastMove>)->Name("MoveParticles")->Apply(MidRoundOnly);
BENCHMARK(OnCrowd<RelaxLinks>)->Name("RelaxLinks")->Apply(MidRoundOnly);
BENCHMARK(OnCrowd<ReferenceRelaxLinks>)->Name("ReferenceRelaxLinks")->Apply(MidRoundOnly);
BENCHMARK(OnCrowd<CollideWithBox>)->Name("CollideWithBox")->Apply(MidRoundOnly);
