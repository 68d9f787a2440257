#pragma once

#include <httplib.h>

#include <cstddef>

constexpr size_t MaxHeaderBytes = 64 << 10;

// What every connection is held to, whatever the client sends or fails to.
struct ConnectionLimits {
    int threads = 32; // connections served at once
    int backlog = 64; // accepted connections waiting for a thread; past that 503
    double readSeconds = 10; // a request, from its first byte to its last
    double writeSeconds = 30; // a response
    double idleSeconds = 5; // any one wait for bytes, and for the next request
    size_t bodyBytes = 2 << 20; // a request's body; its headers may take MaxHeaderBytes more
    int requestsPerConnection = 20;
};

// httplib's parsing and routing over a socket stream of our own. The
// library's stream bounds each wait for bytes but not a request as a whole,
// and reads a header line to its end however long it grows; ours holds
// each request to a deadline and a byte count, and each response to a
// deadline, so a client that sends or reads a byte now and then holds a
// thread for a bounded time only. Connections past the threads and the
// backlog are answered 503 at once by the accepting thread.
class BoundedServer : public httplib::Server {
public:
    explicit BoundedServer(const ConnectionLimits& limits);

    // Binds to `port` (0: any free one) with a listen backlog of the
    // system's largest, not the library's 5, past which a burst of new
    // connections waits a second for the client to try again; the port
    // bound, or -1.
    int Bind(const std::string& host, int port);

    // For a handler that answers without reading the request's body: the
    // connection ends after the response, as its unread bytes cannot be
    // taken for the next request.
    static void CloseAfterResponse(httplib::Response& res);

private:
    bool process_and_close_socket(socket_t sock) override;

    ConnectionLimits limits_;
};
