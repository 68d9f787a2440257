// The physics step timed on its own with nothing but the standard library,
// so it builds where Google Benchmark does not: natively and as WebAssembly,
// run under Node.js, to set the two side by side. Each run steps the same
// crowd once, put back outside the timing; medians of many runs.
//
//   step_timing [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "scenes/game_snapshot.h"
#include "scenes/scenes.h"
#include "sim/physics.h"

namespace {

double Microseconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

void Time(const char* crowd, int runs)
{
    const GameSnapshot start = TakeSnapshot();
    std::vector<double> took;
    for (int i = 0; i < runs; ++i) {
        RestoreSnapshot(start);
        auto begin = std::chrono::steady_clock::now();
        StepSimulation(TimeStep);
        took.push_back(Microseconds(std::chrono::steady_clock::now() - begin));
    }
    std::sort(took.begin(), took.end());
    std::printf("StepSimulation %-10s median %7.1f us  (10%% %7.1f, 90%% %7.1f; %d runs)\n", crowd, took[took.size() / 2],
                took[took.size() / 10], took[took.size() * 9 / 10], runs);
}

} // namespace

int main(int argc, char** argv)
{
    int runs = argc > 1 ? std::max(std::atoi(argv[1]), 10) : 1000;
    StartRound();
    Time("fresh", runs);
    MidRoundCrowd();
    Time("mid-round", runs);
    WorstCaseKnockOnCrowd();
    Time("worst-case", runs);
}
