#pragma once

#include <string>
#include <vector>

// The replay's command line:
//   [--data DIR] [--size WxH] [--frames N] [--script FILE]
//   [--dump-at F1,F2,...] [--png-at F1,F2,...] [--out DIR]

constexpr int MaxReplaySide = 8192;

struct ReplayOptions {
    std::string dataDir = ".";
    int width = 1024;
    int height = 768;
    long frames = 600;
    std::string scriptPath; // empty: no events
    std::vector<long> dumpAt; // ascending, no repeats, each below frames
    std::vector<long> pngAt;
    std::string outDir = ".";
    bool help = false;
};

struct OptionsParse {
    bool ok = false;
    ReplayOptions options;
    std::string error;
};

// args excludes the program name.
OptionsParse ParseReplayOptions(const std::vector<std::string>& args);

const char* ReplayUsage();
