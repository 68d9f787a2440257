#pragma once

#include <string>

namespace CLI {
class App;
}

// The game's command line, the same for every shell.
struct GameOptions {
    int fps = -1; // -1: not given (as fast as drawn, or a recording's own pace)
    std::string record;
    std::string play;
    int windowWidth = 0; // 0: one window the size of the display
    int windowHeight = 0;
};

// What a parse leaves the program to do: go on, or end with this code
// after showing the message (usage or version on standard output for 0,
// one line on standard error for 2).
constexpr int GoOn = -1;
constexpr int ExitAfterHelp = 0;
constexpr int ExitBadCommandLine = 2;

int ParseGameOptions(int argc, const char* const* argv, GameOptions* options, std::string* message);

// Shared with the replay tool, so both read their command lines alike.
void AddScreenSizeOption(CLI::App& app, const std::string& name, int* width, int* height, const std::string& help);
int RunOptionParse(CLI::App& app, int argc, const char* const* argv, const std::string& program,
                   std::string* message);

// Shows what a parse left: the usage or version on standard output, an error
// line on standard error.
void PrintOptionMessage(int code, const std::string& message);
