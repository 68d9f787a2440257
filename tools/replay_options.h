#pragma once

#include <string>
#include <vector>

// The replay's command line:
//   [--data DIR] [--size WxH] [--frames N] [--script FILE] [--record FILE]
//   [--dump-at F1,F2,...] [--png-at F1,F2,...] [--out DIR] [--check] [--every-frame]
//   --script FILE --link BASE_URL

struct ReplayOptions {
    std::string dataDir = ".";
    int width = 0; // 0: the script's window, else 1024 x 768
    int height = 0;
    long frames = -1; // -1: to the script's last line, and at least 600
    std::string scriptPath; // empty: no events
    std::string recordPath; // empty: no recording
    std::vector<long> dumpAt; // ascending, no repeats
    std::vector<long> pngAt;
    std::string outDir = ".";
    bool check = false; // check the game's soundness after every frame
    bool everyFrame = false; // draw every frame, even where nothing looks
    std::string linkBase; // not empty: print the script's link for the page there, and replay nothing
};

// GoOn, or the code to exit with after showing the message (see session/options.h).
int ParseReplayOptions(int argc, const char* const* argv, ReplayOptions* options, std::string* message);
