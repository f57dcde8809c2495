// When to try a request again and how long to wait first: exponential
// backoff with jitter, lengthened to the service's Retry-After.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <random>

#include "contracts/net/HttpGateway.h"

namespace SMS::NET::http {

// Whether an HTTP status may change on a retry (5xx, 429); every other 4xx is
// the service's definite answer.
bool transientStatus(long status);

class RetryPolicy {
public:
    explicit RetryPolicy(const HttpGateway::Options& options);

    int maxAttempts() const { return m_maxAttempts; }
    // The wait after failed attempt `failed` (counted from 0), never shorter
    // than `retryAfter` up to its cap.
    std::chrono::milliseconds wait(int failed, std::chrono::milliseconds retryAfter);
    // Spends the wait with the injected sleep, or sleeps.
    void pause(std::chrono::milliseconds wait) const;

private:
    const int m_maxAttempts;
    const double m_baseMs;
    const double m_factor;
    const double m_capMs;
    const std::chrono::milliseconds m_retryAfterCap;
    const std::function<void(std::chrono::milliseconds)> m_sleep;
    // Drawn from by every calling thread, under m_mutex.
    std::mutex m_mutex;
    std::mt19937_64 m_random;
};

}  // namespace SMS::NET::http
