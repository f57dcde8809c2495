// Misbehaviour on purpose, for testing clients: answers refused as busy or
// out of order, connections dropped after the work was done, slow, cut-off,
// oversized or dripping answer bodies. Which request gets which comes from
// one seeded generator, so a run with the same requests in the same order
// misbehaves the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <random>
#include <string>

#include <nlohmann/json.hpp>

namespace smsgw {

struct FaultSettings {
    // Fractions of requests, 0 to 1.
    double tooMany = 0;      // 429 with Retry-After, before any work
    double unavailable = 0;  // 503, before any work
    double drop = 0;         // packets: the connection closes instead of the answer
    double truncate = 0;     // half the body, then the connection closes
    double oversize = 0;     // a body of oversizeBytes
    double drip = 0;         // the body byte by byte, dripMs apart
    int delayMs = 0;         // before every answer
    int retryAfter = 1;      // seconds, in the 429 answers
    int dripMs = 20;
    std::size_t oversizeBytes = 2 * 1024 * 1024;
    std::uint64_t seed = 1;
};

inline constexpr std::size_t kMaxOversize = 100 * 1024 * 1024;

class Faults {
public:
    explicit Faults(const FaultSettings& settings);
    // Changes the settings named in `changes` (their names above; "seed"
    // restarts the generator). False, changing nothing, for an unknown name
    // or a value out of range.
    bool update(const nlohmann::json& changes, std::string& error);
    FaultSettings settings() const;
    // True for the given fraction of calls.
    bool roll(double FaultSettings::*fraction);
    void count(const std::string& what);
    nlohmann::json totals() const;

private:
    // All three: set and read by the connection threads, under m_mutex.
    mutable std::mutex m_mutex;
    FaultSettings m_settings;
    std::mt19937_64 m_random;
    std::map<std::string, std::uint64_t> m_totals;
};

}  // namespace smsgw
