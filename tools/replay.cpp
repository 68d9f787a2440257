// Plays the game without a window: a pbuffer stands in for the player's
// window, and scripted or recorded input goes through the same routing layer
// as the shells, so every frame runs and draws for real. A recording's
// outcome lines are checked as they come, and with --check the game's
// soundness after every frame: a replay that differs or fails a check ends
// at once (exit code 3), naming the frame.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <system_error>
#include <vector>

#include "platform/headless_egl.h"
#include "session/options.h"
#include "session/playback.h"
#include "session/recording.h"
#include "session/report.h"
#include "session/routing.h"
#include "tools/png.h"
#include "tools/replay_check.h"
#include "tools/replay_dump.h"
#include "tools/replay_options.h"
#include "tools/round_link.h"
#include "world/globals.h"

namespace fs = std::filesystem;

namespace {

constexpr int RunError = 1;
constexpr int ReplayDiffers = 3;
constexpr long DefaultFrames = 600;

int Fail(int code, const std::string& message)
{
    ReportProblem(message);
    return code;
}

bool Listed(const std::vector<long>& frames, long frame)
{
    return std::binary_search(frames.begin(), frames.end(), frame);
}

// The first frame from `frame` on that a dump or a picture looks at, or the last.
long NextLookedAt(const ReplayOptions& options, long frame, long frames)
{
    long next = frames - 1;
    for (const std::vector<long>* list : {&options.dumpAt, &options.pngAt}) {
        auto at = std::lower_bound(list->begin(), list->end(), frame);
        if (at != list->end())
            next = std::min(next, *at);
    }
    return next;
}

// The game as the frame finds it, with what the frame's input will do.
FrameStart StartOf(long frame)
{
    bool clicked = false;
    bool sized = false;
    for (const ScriptLine& line : PlaybackActive() ? PlaybackEvents(frame) : std::vector<ScriptLine>()) {
        clicked |= line.kind == ScriptEventKind::Click;
        sized |= line.kind == ScriptEventKind::Size;
    }
    return StartOfFrame(clicked, sized);
}

// Empty when every listed frame is run.
std::string CheckFramesRun(const char* option, const std::vector<long>& list, long frames)
{
    if (list.empty() || list.back() < frames)
        return "";
    return std::string(option) + " frame " + std::to_string(list.back()) + " is never run: the replay runs frames 0 to " +
           std::to_string(frames - 1);
}

} // namespace

int main(int argc, char** argv)
{
    SetProgramName("fusewalker-replay");
    ReplayOptions options;
    std::string message;
    int code = ParseReplayOptions(argc, argv, &options, &message);
    if (code != GoOn) {
        PrintOptionMessage(code, message);
        return code;
    }

    Script script;
    if (!options.scriptPath.empty() && !ReadScriptFile(options.scriptPath, &script, &message))
        return Fail(ExitBadCommandLine, message);
    if (!options.linkBase.empty()) {
        std::string link = RoundLink(options.linkBase, script, &message);
        if (link.empty())
            return Fail(ExitBadCommandLine, "\"" + options.scriptPath + "\": " + message);
        std::printf("%s\n", link.c_str());
        return 0;
    }
    long frames = options.frames >= 0 ? options.frames : std::max(DefaultFrames, script.lines.empty() ? 0 : script.lines.back().frame + 1);
    for (const std::string& problem :
         {CheckFramesRun("--dump-at", options.dumpAt, frames), CheckFramesRun("--png-at", options.pngAt, frames)})
        if (!problem.empty())
            return Fail(ExitBadCommandLine, problem);

    // The player's window, unless asked for pictures of another size.
    int width = options.width ? options.width : script.windowWidth ? script.windowWidth : 1024;
    int height = options.width ? options.height : script.windowWidth ? script.windowHeight : 768;

    // The output folder is named from where we were started, not from the data folder.
    std::error_code error;
    fs::path out = fs::absolute(options.outDir, error);
    if (!error && (!options.dumpAt.empty() || !options.pngAt.empty()))
        fs::create_directories(out, error);
    if (error)
        return Fail(ExitBadCommandLine, "cannot use output folder \"" + options.outDir + "\": " + error.message());
    fs::path record = options.recordPath.empty() ? fs::path() : fs::absolute(options.recordPath, error);
    fs::current_path(options.dataDir, error);
    if (error)
        return Fail(ExitBadCommandLine, "cannot enter data folder \"" + options.dataDir + "\": " + error.message());
    if (!record.empty() && !StartRecording(record.string(), std::max(script.pace, 0), &message))
        return Fail(ExitBadCommandLine, message);

    if (!HeadlessOpen(width, height))
        return Fail(RunError, "cannot open a headless OpenGL context of " + std::to_string(width) + "x" +
                                  std::to_string(height));
    ScreenWidth = script.windowWidth ? script.windowWidth : width;
    ScreenHeight = script.windowWidth ? script.windowHeight : height;
    StartPlayback(script, PlaybackMode::Replay);
    RouteCreate();
    if (options.check)
        RememberFirstCrowd();

    for (long frame = 0; frame < frames; frame = RoutedFrames()) {
        if (!options.everyFrame && !options.check) {
            RouteUnseenFrames(NextLookedAt(options, frame, frames), std::numeric_limits<double>::infinity());
            if (PlaybackFailed())
                return ReplayDiffers;
            frame = RoutedFrames();
        }
        FrameStart start = StartOf(frame);
        RoutePaint();
        if (PlaybackFailed())
            return ReplayDiffers;
        std::string problem = options.check ? CheckFrame(start) : "";
        if (!problem.empty())
            return Fail(ReplayDiffers, "frame " + std::to_string(frame) + ": " + problem);
        if (Listed(options.dumpAt, frame)) {
            fs::path path = out / ("state-" + std::to_string(frame) + ".txt");
            if (!WriteStateDump(path.string(), frame))
                return Fail(RunError, "cannot write " + path.string());
        }
        if (Listed(options.pngAt, frame)) {
            fs::path path = out / ("frame-" + std::to_string(frame) + ".png");
            std::vector<uint8_t> pixels = HeadlessReadPixels();
            if (!WritePng(path.string(), width, height, pixels.data()))
                return Fail(RunError, "cannot write " + path.string());
        }
    }
    RouteClose();

    std::printf("%s\n", PlaybackSummary(frames).c_str());
    // The context goes with the process, as the game's goes with its window:
    // tearing it down unloads the driver and leaves its allocations orphaned.
    return 0;
}
