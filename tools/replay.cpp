// Plays the game without a window: a pbuffer of the display's size stands in
// for the desktop, and scripted mouse events go through the same routing
// layer as the shells, so every frame runs and draws for real.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "app/events.h"
#include "app/headless.h"
#include "world/globals.h"
#include "tools/png.h"
#include "tools/replay_dump.h"
#include "tools/replay_options.h"
#include "tools/replay_script.h"

namespace fs = std::filesystem;

namespace {

constexpr int UsageError = 2;
constexpr int RunError = 1;

int Fail(int code, const std::string& message)
{
    std::fprintf(stderr, "fusewalker-replay: %s\n", message.c_str());
    return code;
}

bool ReadFile(const std::string& path, std::string* text)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream contents;
    contents << in.rdbuf();
    *text = contents.str();
    return !in.bad();
}

// The lists come sorted from the option parser.
bool Listed(const std::vector<long>& frames, long frame)
{
    return std::binary_search(frames.begin(), frames.end(), frame);
}

void Deliver(const ReplayEvent& event, const ReplayOptions& options)
{
    switch (event.kind) {
    case ReplayEventKind::Move: RouteMouseMove(event.x, event.y, options.width, options.height); break;
    case ReplayEventKind::Click: RouteLeftButtonDown(event.x, event.y, options.width, options.height); break;
    case ReplayEventKind::Size: RouteSize(); break;
    }
}

} // namespace

int main(int argc, char** argv)
{
    OptionsParse parsed = ParseReplayOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.ok)
        return Fail(UsageError, parsed.error + " (see --help)");
    const ReplayOptions& options = parsed.options;
    if (options.help) {
        std::fputs(ReplayUsage(), stdout);
        return 0;
    }

    std::vector<ReplayEvent> events;
    if (!options.scriptPath.empty()) {
        std::string text;
        if (!ReadFile(options.scriptPath, &text))
            return Fail(UsageError, "cannot read script \"" + options.scriptPath + "\"");
        ScriptParse script = ParseReplayScript(text);
        if (!script.ok)
            return Fail(UsageError, "script \"" + options.scriptPath + "\" " + script.error);
        events = std::move(script.events);
    }

    // The output folder is named from where we were started, not from the data folder.
    std::error_code error;
    if (!fs::is_directory(options.dataDir, error))
        return Fail(UsageError, "cannot enter data folder \"" + options.dataDir + "\": no such folder");
    fs::path out = fs::absolute(options.outDir, error);
    if (!error && (!options.dumpAt.empty() || !options.pngAt.empty()))
        fs::create_directories(out, error);
    if (error)
        return Fail(UsageError, "cannot use output folder \"" + options.outDir + "\": " + error.message());
    fs::current_path(options.dataDir, error);
    if (error)
        return Fail(UsageError, "cannot enter data folder \"" + options.dataDir + "\": " + error.message());

    if (!HeadlessOpen(options.width, options.height))
        return Fail(RunError, "cannot open a headless OpenGL context of " + std::to_string(options.width) + "x" +
                                  std::to_string(options.height));
    ScreenWidth = options.width;
    ScreenHeight = options.height;
    RouteCreate();

    size_t next = 0;
    for (long frame = 0; frame < options.frames; ++frame) {
        for (; next < events.size() && events[next].frame == frame; ++next)
            Deliver(events[next], options);
        RoutePaint();

        if (Listed(options.dumpAt, frame)) {
            fs::path path = out / ("state-" + std::to_string(frame) + ".txt");
            if (!WriteStateDump(path.string(), frame))
                return Fail(RunError, "cannot write " + path.string());
        }
        if (Listed(options.pngAt, frame)) {
            fs::path path = out / ("frame-" + std::to_string(frame) + ".png");
            std::vector<uint8_t> pixels = HeadlessReadPixels();
            if (!WritePng(path.string(), options.width, options.height, pixels.data()))
                return Fail(RunError, "cannot write " + path.string());
        }
    }

    std::printf("%s\n", ReplaySummary(options.frames).c_str());
    // The context goes with the process, as the game's goes with its window:
    // tearing it down unloads the driver and leaves its allocations orphaned.
    return 0;
}
