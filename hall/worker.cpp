// One round replayed in a process of its own, for the hall: the game keeps
// all its state in globals, so each replay gets a fresh process, and the
// limits set here first bound what a hostile round can cost. Reads the
// recording on standard input and writes one JSON line on standard output:
//   {"matched":true,"outcomes":2,"failedFrame":-1,"problem":"","score":5218}
// or {"error":"..."}; exit code 4 when it ran out of memory.

#include <sys/prctl.h>
#include <sys/resource.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <new>
#include <string>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "session/options.h"
#include "session/report.h"
#include "session/script.h"
#include "session/verify.h"
#include "tools/round_link.h"

namespace {

constexpr int OutOfMemory = 4;

bool Limit(int resource, rlim_t soft, rlim_t hard)
{
    rlimit limit = {soft, hard};
    return setrlimit(resource, &limit) == 0;
}

// AddressSanitizer reserves terabytes of address space for its shadow, and
// LeakSanitizer starts a thread at exit: a sanitizer build replays without
// the limits on memory and on processes.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool Sanitized = true;
#elif defined(__has_feature)
constexpr bool Sanitized = __has_feature(address_sanitizer);
#else
constexpr bool Sanitized = false;
#endif

// Past the CPU limit SIGXCPU ends the replay, and a second later SIGKILL;
// no children, no core.
bool SetLimits(int cpuSeconds, int memoryMb)
{
    rlim_t memory = rlim_t(memoryMb) << 20;
    return Limit(RLIMIT_CPU, rlim_t(cpuSeconds), rlim_t(cpuSeconds) + 1) && Limit(RLIMIT_CORE, 0, 0) && (Sanitized || (Limit(RLIMIT_NPROC, 0, 0) && Limit(RLIMIT_AS, memory, memory)));
}

void Answer(const nlohmann::json& answer)
{
    std::puts(answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    SetProgramName("fusewalker-hall-worker");
    std::string dataDir = ".";
    int cpuSeconds = 20;
    int memoryMb = 512;
    CLI::App app("Replays one recording from standard input, for the hall.", "fusewalker-hall-worker");
    app.add_option("--data", dataDir, "Folder with ragdoll.rag")->capture_default_str();
    app.add_option("--cpu-seconds", cpuSeconds, "CPU time the replay may take")->capture_default_str()->check(CLI::Range(1, 3600));
    app.add_option("--memory-mb", memoryMb, "Address space the replay may take")->capture_default_str()->check(CLI::Range(64, 65536));
    std::string message;
    int code = RunOptionParse(app, argc, argv, "fusewalker-hall-worker", &message);
    if (code != GoOn) {
        PrintOptionMessage(code, message);
        return code;
    }
    // A replay outlives no hall that was killed.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (!SetLimits(cpuSeconds, memoryMb) || chdir(dataDir.c_str()) != 0) {
        Answer({{"error", "cannot set the replay's limits or enter its data folder"}});
        return 1;
    }
    try {
        std::string text;
        char slice[65536];
        for (size_t n; (n = std::fread(slice, 1, sizeof slice, stdin)) > 0 && text.size() <= MaxLinkedRecordingBytes;)
            text.append(slice, n);
        if (text.size() > MaxLinkedRecordingBytes) {
            Answer({{"error", "the recording is larger than a link holds"}});
            return 1;
        }
        ScriptParse parse = ParseScript(text);
        if (!parse.ok) {
            Answer({{"error", parse.error}});
            return 1;
        }
        Verification verification = VerifyRecording(parse.script);
        Answer({{"matched", verification.matched},
                {"outcomes", verification.outcomes},
                {"failedFrame", verification.failedFrame},
                {"problem", verification.problem},
                {"score", verification.score}});
        return 0;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}
