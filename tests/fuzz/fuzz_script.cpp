// Any bytes as a replay script, and as the words of both command lines.
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "session/options.h"
#include "session/script.h"
#include "tools/replay_options.h"

namespace {

bool Side(int n) { return n >= 0 && n <= MaxScreenSide; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    ScriptParse parse = ParseScript(text);
    // What parses must read back the same.
    if (parse.ok)
        for (const ScriptLine& line : parse.script.lines) {
            ScriptParse again = ParseScript(FormatScriptLine(line));
            if (!again.ok || again.script.lines.size() != 1 || FormatScriptLine(again.script.lines[0]) != FormatScriptLine(line))
                __builtin_trap();
        }

    std::vector<std::string> words{"fusewalker"};
    std::vector<const char*> argv;
    std::istringstream in(text);
    for (std::string word; in >> word;)
        words.push_back(word);
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    int argc = int(argv.size());
    std::string message;
    // What the command lines let through lies within the ranges the shells assume.
    GameOptions game;
    if (ParseGameOptions(argc, argv.data(), &game, &message) == GoOn &&
        (game.fps < -1 || game.fps > MaxPace || !Side(game.windowWidth) || !Side(game.windowHeight)))
        __builtin_trap();
    ReplayOptions replay;
    if (ParseReplayOptions(argc, argv.data(), &replay, &message) == GoOn &&
        (replay.frames < -1 || replay.frames > MaxScriptFrame || !Side(replay.width) || !Side(replay.height)))
        __builtin_trap();
    return 0;
}
