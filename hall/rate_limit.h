#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

// A token bucket for each address: `perMinute` tokens, refilled evenly
// over a minute, so a player may send that many rounds at once and then
// one every 60/perMinute seconds. Buckets that have filled up again are
// forgotten, as they hold nothing a new one would not; at most
// `maxAddresses` are remembered, the fullest given up first.
class RateLimit {
public:
    explicit RateLimit(int perMinute, size_t maxAddresses = 100000);

    // 0 when `address` may go on (a token is taken); else the whole seconds
    // until it may.
    int Take(const std::string& address, double now);

private:
    struct Bucket {
        double tokens;
        double at;
    };
    double Refilled(const Bucket& bucket, double now) const;
    void MakeRoom(double now);

    std::mutex mutex_;
    const double capacity_;
    const double perSecond_;
    const size_t maxAddresses_;
    std::unordered_map<std::string, Bucket> buckets_;
};
