// The hall: a web server that keeps the best rounds sent to it, each one
// replayed first by the worker program to the score it claims. A thin
// layer over the game's own parser, link code and replay.

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "hall/options.h"
#include "hall/routes.h"
#include "session/options.h"
#include "session/report.h"

namespace fs = std::filesystem;

namespace {

int Fail(const std::string& message)
{
    ReportProblem(message);
    return 1;
}

std::string BesideMe(const std::string& name)
{
    std::error_code error;
    fs::path me = fs::read_symlink("/proc/self/exe", error);
    return error ? name : (me.parent_path() / name).string();
}

} // namespace

int main(int argc, char** argv)
{
    SetProgramName("fusewalker-hall");
    HallOptions options;
    std::string message;
    int code = ParseHallOptions(argc, argv, &options, &message);
    if (code != GoOn) {
        PrintOptionMessage(code, message);
        return code;
    }
    std::string worker = options.worker.empty() ? BesideMe("fusewalker-hall-worker") : options.worker;
    if (access(worker.c_str(), X_OK) != 0)
        return Fail("cannot run the replay program \"" + worker + "\"");
    std::error_code error;
    std::string data = fs::canonical(options.dataDir, error).string();
    if (error || !fs::is_regular_file(fs::path(data) / "ragdoll.rag"))
        return Fail("the data folder \"" + options.dataDir + "\" has no ragdoll.rag for the replays");
    std::string page = options.pageDir.empty() ? "" : fs::canonical(options.pageDir, error).string();
    if (error)
        return Fail("cannot use the page folder \"" + options.pageDir + "\": " + error.message());

    // SIGINT and SIGTERM stop the server from a thread of their own; every
    // thread made from here on has them blocked.
    signal(SIGPIPE, SIG_IGN);
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);

    std::unique_ptr<Store> store;
    try {
        store = OpenStore(options.db);
        store->Best(1);
    } catch (const StoreUnavailable& unavailable) {
        ReportProblem(std::string(unavailable.what()) + " (the hall answers 503 until it can be reached)");
    } catch (const std::exception& failure) {
        return Fail(failure.what());
    }
    ReplayGate gate(options.workers, options.queue);
    RateLimit rate(options.rate);
    Hall hall{*store, gate, rate,
              ReplayLimits{worker, data, options.cpuSeconds, options.memoryMb, double(options.wallSeconds)},
              page, options.maxBody, options.rate};
    ConnectionLimits limits;
    limits.threads = options.threads;
    limits.backlog = options.backlog;
    limits.readSeconds = options.readSeconds;
    limits.writeSeconds = options.writeSeconds;
    limits.idleSeconds = options.idleSeconds;
    limits.bodyBytes = options.maxBody;
    limits.requestsPerConnection = options.keepAlive;
    BoundedServer server(limits);
    AddRoutes(server, hall);

    int port = server.Bind(options.bind, options.port);
    if (port < 0)
        return Fail("cannot listen on " + options.bind + " port " + std::to_string(options.port));
    std::printf("The hall is at http://%s:%d/hall (%d replays at once, %d waiting)\n", options.bind.c_str(), port,
                options.workers, options.queue);
    std::fflush(stdout);
    std::thread stopper([&server, stops] {
        int signal = 0;
        sigwait(&stops, &signal);
        server.stop();
    });
    bool listened = server.listen_after_bind();
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    return listened ? 0 : Fail("the server stopped listening");
}
