// One playing frame of the mid-round crowd, with the crowd drawn both ways
// (the game's batch and the plain per-strip reference), at three window
// sizes: 64 x 48, where rasterizing costs almost nothing and what is left is
// handing the crowd to OpenGL, and two real displays. A frame is what the
// game's playing state runs, then glFinish so the drawing is really done.
// Timed by the clock on the wall: the software renderer draws on threads of
// its own.

#include <unistd.h>

#include <string>

#include <benchmark/benchmark.h>

#include "game/view.h"
#include "platform/headless_egl.h"
#include "render/gl.h"
#include "render/people.h"
#include "render/reference_people.h"
#include "render/room.h"
#include "scenes/game_snapshot.h"
#include "scenes/scenes.h"
#include "session/routing.h"
#include "sim/physics.h"
#include "world/globals.h"

namespace {

struct Size {
    int width, height;
};

const Size Sizes[] = {{64, 48}, {1024, 768}, {1920, 1080}};

// The crowd the frame starts from, made once from the game's own files.
const GameSnapshot& MidRound()
{
    static const GameSnapshot snapshot = (MidRoundCrowd(), TakeSnapshot());
    return snapshot;
}

// A pbuffer of the size and the game's render set-up for it, as a window
// of that size gets at creation; false when no context could be had.
bool OpenDisplay(Size size)
{
    static Size open = {0, 0};
    if (open.width == size.width && open.height == size.height)
        return true;
    open = {0, 0};
    if (chdir(FW_DATA_DIR) != 0 || !HeadlessOpen(size.width, size.height))
        return false;
    ScreenWidth = size.width;
    ScreenHeight = size.height;
    RouteCreate();
    open = size;
    return true;
}

void PlayingFrame(benchmark::State& state, Size size, void (*drawPeople)())
{
    if (!OpenDisplay(size)) {
        state.SkipWithError("no headless OpenGL context");
        return;
    }
    const GameSnapshot& start = MidRound();
    for (auto _ : state) {
        state.PauseTiming();
        RestoreSnapshot(start);
        glFinish();
        state.ResumeTiming();
        SetUpScene();
        DrawPlayingScene(drawPeople);
        StepSimulation(TimeStep);
        glFinish();
    }
}

// Size by size, the two ways side by side.
const bool Registered = [] {
    for (Size size : Sizes) {
        std::string at = "/" + std::to_string(size.width) + "x" + std::to_string(size.height);
        benchmark::RegisterBenchmark(("PlayingFrame/PerStrip" + at).c_str(), PlayingFrame, size, ReferenceDrawPeople)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("PlayingFrame/Batched" + at).c_str(), PlayingFrame, size, DrawPeople)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    return true;
}();

} // namespace
