#include "hall/rate_limit.h"

#include <algorithm>
#include <cmath>

RateLimit::RateLimit(int perMinute, size_t maxAddresses)
    : capacity_(perMinute), perSecond_(perMinute / 60.0), maxAddresses_(maxAddresses)
{
}

double RateLimit::Refilled(const Bucket& bucket, double now) const
{
    return std::min(capacity_, bucket.tokens + std::max(0.0, now - bucket.at) * perSecond_);
}

void RateLimit::MakeRoom(double now)
{
    for (auto it = buckets_.begin(); it != buckets_.end();)
        it = Refilled(it->second, now) >= capacity_ ? buckets_.erase(it) : std::next(it);
    if (buckets_.size() >= maxAddresses_)
        buckets_.erase(std::max_element(buckets_.begin(), buckets_.end(), [&](const auto& a, const auto& b) {
            return Refilled(a.second, now) < Refilled(b.second, now);
        }));
}

int RateLimit::Take(const std::string& address, double now)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = buckets_.find(address);
    if (it == buckets_.end()) {
        if (buckets_.size() >= maxAddresses_)
            MakeRoom(now);
        it = buckets_.emplace(address, Bucket{capacity_, now}).first;
    }
    Bucket& bucket = it->second;
    bucket.tokens = Refilled(bucket, now);
    bucket.at = now;
    if (bucket.tokens >= 1) {
        bucket.tokens -= 1;
        return 0;
    }
    return int(std::ceil((1 - bucket.tokens) / perSecond_));
}
