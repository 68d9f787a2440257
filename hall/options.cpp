#include "hall/options.h"

#include <algorithm>
#include <thread>

#include <CLI/CLI.hpp>

#include "session/options.h"

int ParseHallOptions(int argc, const char* const* argv, HallOptions* options, std::string* message)
{
    CLI::App app("The hall: keeps the best Fusewalker rounds, each replayed to the score it claims.", "fusewalker-hall");
    app.set_version_flag("--version", "fusewalker-hall " FW_VERSION);
    // Each limit's default is said in the help: as a default value, or in
    // its words where it is worked out from other options.
    auto number = [&app](const char* name, int* value, const char* help, int low, int high) {
        return app.add_option(name, *value, help)->type_name("N")->check(CLI::Range(low, high));
    };
    number("--port", &options->port, "TCP port to listen on; 0: any free one", 0, 65535)->capture_default_str();
    app.add_option("--bind", options->bind, "Address to listen on")->type_name("ADDRESS")->capture_default_str();
    app.add_option("--db", options->db, "SQLite file, or a postgresql://... connection string")
        ->type_name("DB")
        ->capture_default_str();
    app.add_option("--page", options->pageDir, "The game's web page folder, served at /")
        ->type_name("DIR")
        ->check(CLI::ExistingDirectory.description(""));
    app.add_option("--data", options->dataDir, "Folder with ragdoll.rag and face.bmp for the replays")
        ->type_name("DIR")
        ->capture_default_str()
        ->check(CLI::ExistingDirectory.description(""));
    app.add_option("--worker", options->worker, "The replay program (default: fusewalker-hall-worker beside this one)")
        ->type_name("FILE")
        ->check(CLI::ExistingFile.description(""));
    number("--workers", &options->workers, "Replays at once (default: the number of cores)", 1, 256);
    number("--queue", &options->queue, "Rounds waiting for a replay; past that 503 (default: 4 per worker)", 0, 4096);
    number("--rate", &options->rate, "Rounds a minute from one address, in bursts of as many; past that 429", 1, 1000000)
        ->capture_default_str();
    number("--cpu-seconds", &options->cpuSeconds, "CPU time a replay may take; past that the round is refused", 1, 3600)
        ->capture_default_str();
    number("--wall-seconds", &options->wallSeconds,
           "Time on the clock a replay may take; past that 503, the machine being too busy (default: twice "
           "--cpu-seconds, and 5)",
           1, 7200);
    number("--memory-mb", &options->memoryMb, "Address space a replay may take, in MB", 64, 65536)->capture_default_str();
    number("--threads", &options->threads,
           "Connections served at once, each for as long as it is open (default: 64, or workers + queue + 8 if more)",
           1, 4096);
    number("--backlog", &options->backlog, "Connections waiting for a thread; past that 503", 0, 65536)
        ->capture_default_str();
    number("--read-seconds", &options->readSeconds, "Time for a request's headers and body, all told", 1, 3600)
        ->capture_default_str();
    number("--write-seconds", &options->writeSeconds, "Time for a response, all told", 1, 3600)->capture_default_str();
    number("--idle-seconds", &options->idleSeconds, "Wait for a client's next bytes, or its next request", 1, 600)
        ->capture_default_str();
    number("--keep-alive", &options->keepAlive, "Requests on one connection", 1, 10000)->capture_default_str();
    app.add_option("--max-body", options->maxBody, "Bytes in a request's body; past that 413")
        ->type_name("BYTES")
        ->capture_default_str()
        ->check(CLI::Range(size_t(1024), size_t(1) << 30));
    app.footer("Example:\n"
               "  fusewalker-hall --port 8080 --db ./hall.db --page build-web-release/platform --data data\n"
               "  fusewalker-hall --db postgresql://hall@127.0.0.1/hall --data data");
    int code = RunOptionParse(app, argc, argv, "fusewalker-hall", message);
    if (options->workers == 0)
        options->workers = int(std::max(1u, std::thread::hardware_concurrency()));
    if (app.count("--queue") == 0)
        options->queue = 4 * options->workers;
    if (options->wallSeconds == 0)
        options->wallSeconds = 2 * options->cpuSeconds + 5;
    if (options->threads == 0)
        options->threads = std::max(64, options->workers + options->queue + 8);
    return code;
}
