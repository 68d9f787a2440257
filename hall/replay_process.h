#pragma once

#include <string>

// A round replayed by the worker program in a process of its own, spawned
// with posix_spawn (never fork() from the threaded server): the recording
// goes to its standard input, one JSON line comes back, and the process is
// killed if it outlives its wall-clock limit.

struct ReplayLimits {
    std::string worker; // the worker program
    std::string dataDir;
    int cpuSeconds = 20; // the worker's own RLIMIT_CPU
    int memoryMb = 512; // the worker's own RLIMIT_AS
    double wallSeconds = 45; // then SIGKILL from here
};

enum class ReplayEnd {
    Replayed, // the worker answered: see matched
    OutOfCpu, // the round took more CPU than a replay may
    OutOfMemory,
    OutOfTime, // the machine was too busy to finish it in time
    Failed, // the worker could not run, or answered nonsense
};

struct ReplayResult {
    ReplayEnd end = ReplayEnd::Failed;
    bool matched = false;
    long outcomes = 0;
    long failedFrame = -1;
    std::string problem; // the replay's words, or why it failed
    int score = 0;
    double cpuSeconds = 0; // the worker's user and system time
};

ReplayResult ReplayInWorker(const ReplayLimits& limits, const std::string& recording);
