// One playing frame of the mid-round crowd in a 1024 x 768 headless context,
// split into its drawing and its simulation, and whole as the paint handler
// runs it (RunFrame, then glFinish so the drawing is really done).
// Timed by the clock on the wall: the software renderer draws on threads of
// its own.

#include <unistd.h>

#include <benchmark/benchmark.h>

#include "app/events.h"
#include "app/headless.h"
#include "game/frame.h"
#include "world/globals.h"
#include "game/view.h"
#include "render/gl.h"
#include "render/room.h"
#include "sim/physics.h"
#include "tests/game_snapshot.h"
#include "tests/scenes.h"

namespace {

constexpr int DisplayWidth = 1024;
constexpr int DisplayHeight = 768;

// The playing frame's starting point, or null when no context could be had.
const GameSnapshot* PlayingFrame()
{
    static const GameSnapshot* snapshot = [] () -> const GameSnapshot* {
        if (chdir(FW_DATA_DIR) != 0 || !HeadlessOpen(DisplayWidth, DisplayHeight))
            return nullptr;
        ScreenWidth = DisplayWidth;
        ScreenHeight = DisplayHeight;
        RouteCreate();
        MidRoundCrowd();
        return new GameSnapshot(TakeSnapshot());
    }();
    return snapshot;
}

template <void (*Run)()>
void PlayingFrameBenchmark(benchmark::State& state)
{
    const GameSnapshot* start = PlayingFrame();
    if (!start) {
        state.SkipWithError("no headless OpenGL context");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        RestoreSnapshot(*start);
        glFinish();
        state.ResumeTiming();
        Run();
    }
}

void DrawOnly()
{
    SetUpScene();
    DrawPlayingScene();
    glFinish();
}

void StepOnly() { StepSimulation(TimeStep); }

void WholeFrame()
{
    RunFrame();
    glFinish();
}

} // namespace

BENCHMARK(PlayingFrameBenchmark<DrawOnly>)->Name("Frame/DrawPlayingScene")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PlayingFrameBenchmark<StepOnly>)->Name("Frame/StepSimulation")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PlayingFrameBenchmark<WholeFrame>)->Name("Frame/RunFrame")->Unit(benchmark::kMillisecond)->UseRealTime();
