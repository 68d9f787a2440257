#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>

// The bound on replays: at most `running` at once, and `waiting` more in
// line for a place. A round past that is turned away at once (503 with
// Retry-After) rather than kept hanging.
class ReplayGate {
public:
    ReplayGate(int running, int waiting);

    // Runs `replay` on the calling thread once a place is free; false,
    // without running it, when the line is full.
    bool Run(const std::function<void()>& replay);

private:
    std::mutex mutex_;
    std::condition_variable freed_;
    const int places_;
    const int line_;
    int running_ = 0;
    int waiting_ = 0;
};
