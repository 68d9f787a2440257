#include "hall/replay_gate.h"

ReplayGate::ReplayGate(int running, int waiting) : places_(running), line_(waiting) {}

bool ReplayGate::Run(const std::function<void()>& replay)
{
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (running_ >= places_) {
            if (waiting_ >= line_)
                return false;
            ++waiting_;
            freed_.wait(lock, [this] { return running_ < places_; });
            --waiting_;
        }
        ++running_;
    }
    struct Leave {
        ReplayGate* gate;
        ~Leave()
        {
            std::lock_guard<std::mutex> lock(gate->mutex_);
            --gate->running_;
            gate->freed_.notify_one();
        }
    } leave{this};
    replay();
    return true;
}
