// Backoff between attempts of one request.
#include "components/net/http/RetryPolicy.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace SMS::NET::http {
namespace {

std::uint64_t seedOf(std::uint64_t seed) {
    if (seed != 0) return seed;
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device();
}

}  // namespace

bool transientStatus(long status) { return status >= 500 || status == 429; }

RetryPolicy::RetryPolicy(const HttpGateway::Options& options)
    : m_maxAttempts(std::max(1, options.maxAttempts)),
      m_baseMs(static_cast<double>(std::max<long long>(0, options.backoffBase.count()))),
      m_factor(std::max(1.0, options.backoffFactor)),
      m_capMs(static_cast<double>(std::max<long long>(0, options.backoffCap.count()))),
      m_retryAfterCap(options.retryAfterCap),
      m_sleep(options.sleep),
      m_random(seedOf(options.jitterSeed)) {}

std::chrono::milliseconds RetryPolicy::wait(int failed, std::chrono::milliseconds retryAfter) {
    // Growth stops at the cap, so a large attempt count cannot overflow.
    const double full = std::min(m_capMs, m_baseMs * std::pow(m_factor, std::max(0, failed)));
    double drawn = full;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        drawn = std::uniform_real_distribution<double>(full / 2, full)(m_random);
    }
    const std::chrono::milliseconds backoff(static_cast<long long>(drawn));
    return std::max(backoff, std::min(retryAfter, m_retryAfterCap));
}

void RetryPolicy::pause(std::chrono::milliseconds wait) const {
    if (m_sleep) {
        m_sleep(wait);
    } else {
        std::this_thread::sleep_for(wait);
    }
}

}  // namespace SMS::NET::http
