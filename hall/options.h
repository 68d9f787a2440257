#pragma once

#include <cstddef>
#include <string>

// The hall's command line. Every limit has a default a small server can
// live with; --help says each.
struct HallOptions {
    int port = 8080;
    std::string bind = "127.0.0.1";
    std::string db = "./hall.db"; // a SQLite file, or a postgresql:// connection string
    std::string pageDir; // empty: no game page at /
    std::string dataDir = ".";
    std::string worker; // empty: fusewalker-hall-worker beside the server
    int workers = 0; // replays at once; 0: the number of cores
    int queue = 0; // rounds waiting for a replay; 0: four per worker
    int rate = 10; // submissions a minute from one address
    int cpuSeconds = 20; // a replay's CPU time
    int wallSeconds = 0; // a replay's time on the clock; 0: twice the CPU time and 5 s
    int memoryMb = 512; // a replay's address space
    int threads = 0; // connections served at once; 0: 64, or workers + queue + 8 if more
    int backlog = 64; // connections waiting for a thread
    int readSeconds = 10; // a request's headers and body, all told
    int writeSeconds = 30; // a response, all told
    int idleSeconds = 5; // a wait for the next bytes, or for the next request
    int keepAlive = 20; // requests on one connection
    size_t maxBody = 2 << 20; // bytes in a request's body
};

// GoOn, or the code to exit with after showing the message (see session/options.h).
int ParseHallOptions(int argc, const char* const* argv, HallOptions* options, std::string* message);
