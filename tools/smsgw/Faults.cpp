#include "Faults.h"

#include <utility>

namespace smsgw {

namespace {

const std::pair<const char*, double FaultSettings::*> kFractions[] = {
    {"tooMany", &FaultSettings::tooMany},   {"unavailable", &FaultSettings::unavailable},
    {"drop", &FaultSettings::drop},         {"truncate", &FaultSettings::truncate},
    {"oversize", &FaultSettings::oversize}, {"drip", &FaultSettings::drip},
};

const std::pair<const char*, int FaultSettings::*> kWholes[] = {
    {"delayMs", &FaultSettings::delayMs},
    {"retryAfter", &FaultSettings::retryAfter},
    {"dripMs", &FaultSettings::dripMs},
};

bool setOne(FaultSettings& s, const std::string& name, const nlohmann::json& v) {
    for (const auto& [key, field] : kFractions) {
        if (name != key) continue;
        if (!v.is_number() || v.get<double>() < 0 || v.get<double>() > 1) return false;
        s.*field = v.get<double>();
        return true;
    }
    for (const auto& [key, field] : kWholes) {
        if (name != key) continue;
        if (!v.is_number_integer() || v.get<long long>() < 0 || v.get<long long>() > 3600000) {
            return false;
        }
        s.*field = v.get<int>();
        return true;
    }
    if (name == "oversizeBytes") {
        if (!v.is_number_unsigned() || v.get<std::uint64_t>() > kMaxOversize) return false;
        s.oversizeBytes = v.get<std::size_t>();
        return true;
    }
    if (name == "seed") {
        if (!v.is_number_unsigned()) return false;
        s.seed = v.get<std::uint64_t>();
        return true;
    }
    return false;
}

}  // namespace

Faults::Faults(const FaultSettings& settings) : m_settings(settings), m_random(settings.seed) {}

bool Faults::update(const nlohmann::json& changes, std::string& error) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    FaultSettings next = m_settings;
    for (const auto& [name, value] : changes.items()) {
        if (!setOne(next, name, value)) {
            error = "bad value for " + name;
            return false;
        }
    }
    if (changes.contains("seed")) m_random.seed(next.seed);
    m_settings = next;
    return true;
}

FaultSettings Faults::settings() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_settings;
}

bool Faults::roll(double FaultSettings::*fraction) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const double f = m_settings.*fraction;
    if (f <= 0) return false;
    if (f >= 1) return true;
    return std::uniform_real_distribution<double>(0, 1)(m_random) < f;
}

void Faults::count(const std::string& what) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    ++m_totals[what];
}

nlohmann::json Faults::totals() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_totals;
}

}  // namespace smsgw
