#include "hall/http_server.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double LingerSeconds = 2;
constexpr size_t MaxLingerBytes = 16 << 20;

thread_local bool Refusing = false; // on the accepting thread, for a connection no thread can take
thread_local bool CloseAfter = false;

Clock::time_point After(double seconds)
{
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// Until `events` or the deadline; false at the deadline or on an error.
bool Wait(int sock, short events, Clock::time_point deadline)
{
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd fd = {sock, events, 0};
        int ready = poll(&fd, 1, int(std::min<long long>(left, 1000)));
        if (ready > 0)
            return (fd.revents & (events | POLLHUP)) != 0;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

void Address(int sock, bool peer, std::string& ip, int& port)
{
    sockaddr_storage address = {};
    socklen_t size = sizeof address;
    char host[NI_MAXHOST] = "";
    char service[NI_MAXSERV] = "";
    if ((peer ? getpeername : getsockname)(sock, reinterpret_cast<sockaddr*>(&address), &size) == 0 &&
        getnameinfo(reinterpret_cast<sockaddr*>(&address), size, host, sizeof host, service, sizeof service,
                    NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
        ip = host;
        port = std::atoi(service);
    }
}

class BoundedStream : public httplib::Stream {
public:
    BoundedStream(int sock, const ConnectionLimits& limits) : sock_(sock), limits_(limits) {}

    // Waits for the next request's first byte, then starts its clocks.
    bool NextRequest()
    {
        if (start_ == end_ && !Wait(sock_, POLLIN, After(limits_.idleSeconds)))
            return false;
        readDeadline_ = After(limits_.readSeconds);
        bytes_ = end_ - start_;
        writing_ = false;
        return true;
    }

    bool is_readable() const override { return start_ < end_ || Wait(sock_, POLLIN, ReadWait()); }
    bool is_writable() const override { return Wait(sock_, POLLOUT, After(limits_.idleSeconds)); }

    ssize_t read(char* ptr, size_t size) override
    {
        if (start_ == end_) {
            if (bytes_ >= RequestBytes() || !Wait(sock_, POLLIN, ReadWait()))
                return -1;
            ssize_t got;
            do
                got = recv(sock_, buffer_, std::min(sizeof buffer_, RequestBytes() - bytes_), 0);
            while (got < 0 && errno == EINTR);
            if (got <= 0)
                return got;
            bytes_ += size_t(got);
            start_ = 0;
            end_ = size_t(got);
        }
        size_t n = std::min(size, end_ - start_);
        std::memcpy(ptr, buffer_ + start_, n);
        start_ += n;
        return ssize_t(n);
    }

    ssize_t write(const char* ptr, size_t size) override
    {
        if (!writing_)
            writeDeadline_ = After(limits_.writeSeconds);
        writing_ = true;
        if (!Wait(sock_, POLLOUT, std::min(After(limits_.idleSeconds), writeDeadline_)))
            return -1;
        ssize_t sent;
        do
            sent = send(sock_, ptr, size, MSG_NOSIGNAL);
        while (sent < 0 && errno == EINTR);
        return sent;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override { Address(sock_, true, ip, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override { Address(sock_, false, ip, port); }
    socket_t socket() const override { return sock_; }

private:
    size_t RequestBytes() const { return limits_.bodyBytes + MaxHeaderBytes; }
    Clock::time_point ReadWait() const { return std::min(After(limits_.idleSeconds), readDeadline_); }

    const int sock_;
    const ConnectionLimits limits_;
    char buffer_[4096];
    size_t start_ = 0; // what is left of the last recv
    size_t end_ = 0;
    size_t bytes_ = 0; // received for this request
    Clock::time_point readDeadline_;
    Clock::time_point writeDeadline_;
    bool writing_ = false;
};

// A fixed set of threads, and a bounded line of accepted connections: one
// that would wait past it is handed back to the accepting thread to refuse.
class ConnectionQueue : public httplib::TaskQueue {
public:
    ConnectionQueue(int threads, int backlog) : backlog_(size_t(backlog))
    {
        for (int i = 0; i < threads; ++i)
            threads_.emplace_back([this] { Serve(); });
    }

    void enqueue(std::function<void()> connection) override
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (waiting_.size() < idle_ + backlog_) {
                waiting_.push_back(std::move(connection));
                ready_.notify_one();
                return;
            }
        }
        Refusing = true;
        connection();
        Refusing = false;
    }

    void shutdown() override
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        ready_.notify_all();
        for (std::thread& thread : threads_)
            thread.join();
    }

private:
    void Serve()
    {
        for (;;) {
            std::function<void()> connection;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                ++idle_;
                ready_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
                --idle_;
                if (waiting_.empty())
                    return;
                connection = std::move(waiting_.front());
                waiting_.pop_front();
            }
            connection();
        }
    }

    const size_t backlog_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> waiting_;
    size_t idle_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

const char Busy[] = "HTTP/1.1 503 Service Unavailable\r\nContent-Type: application/json\r\nRetry-After: 2\r\n"
                    "Connection: close\r\nContent-Length: 45\r\n\r\n{\"error\":\"the hall is busy: try again soon\"}\n";

} // namespace

BoundedServer::BoundedServer(const ConnectionLimits& limits) : limits_(limits)
{
    new_task_queue = [limits] { return new ConnectionQueue(limits.threads, limits.backlog); };
    // What the library still applies itself: the Keep-Alive header it
    // sends, the socket time-outs it sets, its own check of Content-Length.
    set_keep_alive_max_count(size_t(limits.requestsPerConnection));
    set_keep_alive_timeout(time_t(limits.idleSeconds));
    set_read_timeout(time_t(limits.idleSeconds));
    set_write_timeout(time_t(limits.idleSeconds));
    set_payload_max_length(limits.bodyBytes);
}

int BoundedServer::Bind(const std::string& host, int port)
{
    int bound = port == 0 ? bind_to_any_port(host) : bind_to_port(host, port) ? port : -1;
    return bound > 0 && ::listen(svr_sock_, SOMAXCONN) == 0 ? bound : -1;
}

void BoundedServer::CloseAfterResponse(httplib::Response& res)
{
    res.set_header("Connection", "close");
    CloseAfter = true;
}

bool BoundedServer::process_and_close_socket(socket_t sock)
{
    char sink[4096];
    if (Refusing) {
        // Never blocks the accepting thread: what the socket takes at once,
        // and what has come of the request is read first, as closing on
        // unread bytes resets the connection.
        send(sock, Busy, sizeof Busy - 1, MSG_DONTWAIT | MSG_NOSIGNAL);
        shutdown(sock, SHUT_WR);
        for (int slices = 16; slices > 0 && recv(sock, sink, sizeof sink, MSG_DONTWAIT) > 0;)
            --slices;
        close(sock);
        return false;
    }
    // A response goes out in several writes: none may wait for the ACK of
    // the one before.
    int on = 1;
    setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    BoundedStream stream(sock, limits_);
    bool served = false;
    for (int left = limits_.requestsPerConnection; left > 0 && svr_sock_ != INVALID_SOCKET && stream.NextRequest(); --left) {
        CloseAfter = false;
        bool closed = false;
        served = process_request(stream, left == 1, closed, nullptr);
        if (!served || closed || CloseAfter)
            break;
    }
    // A client may still be sending what was refused unread: closing now
    // would reset the connection, and with it the answer the client has
    // not read yet. Its bytes are read and dropped a moment first.
    shutdown(sock, SHUT_WR);
    Clock::time_point until = After(LingerSeconds);
    for (size_t drained = 0; drained < MaxLingerBytes && Wait(sock, POLLIN, until);) {
        ssize_t got = recv(sock, sink, sizeof sink, 0);
        if (got <= 0)
            break;
        drained += size_t(got);
    }
    close(sock);
    return served;
}
