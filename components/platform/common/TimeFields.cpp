// Wall-clock time read once and split into calendar fields by the C library
// of each OS (the splits in posix/Time.cpp and windows/Time.cpp).
#include "components/platform/common/TimeFields.h"

#include <chrono>
#include <mutex>

#include "contracts/platform/Time.h"

namespace Platform {
namespace {

// The current time as whole seconds and the milliseconds past them.
struct ClockReading {
    std::time_t seconds;
    unsigned short milliseconds;
};

ClockReading readClock() {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
    // Floor division, so times before the epoch still get 0..999 ms.
    auto wholeSeconds = ms / 1000;
    auto rest = ms % 1000;
    if (rest < 0) {
        rest += 1000;
        --wholeSeconds;
    }
    return {static_cast<std::time_t>(wholeSeconds), static_cast<unsigned short>(rest)};
}

SystemTime fromTm(const std::tm& tm, unsigned short milliseconds) {
    SystemTime st;
    st.wYear = static_cast<unsigned short>(tm.tm_year + 1900);
    st.wMonth = static_cast<unsigned short>(tm.tm_mon + 1);
    st.wDayOfWeek = static_cast<unsigned short>(tm.tm_wday);
    st.wDay = static_cast<unsigned short>(tm.tm_mday);
    st.wHour = static_cast<unsigned short>(tm.tm_hour);
    st.wMinute = static_cast<unsigned short>(tm.tm_min);
    // A leap second (tm_sec == 60) is folded into the last ordinary second.
    st.wSecond = static_cast<unsigned short>(tm.tm_sec > 59 ? 59 : tm.tm_sec);
    st.wMilliseconds = milliseconds;
    return st;
}

}  // namespace

SystemTime getLocalTime() {
    const ClockReading now = readClock();
    std::tm tm{};
    {
        // The C library guards its time-zone state with a lock of its own
        // that race checkers do not see, and reading the zone again rewrites
        // the globals the split reads; threads reading the local time at
        // once take this one as well.
        static std::mutex zone;
        const std::lock_guard<std::mutex> lock(zone);
        if (!detail::toLocalTm(now.seconds, tm)) return SystemTime{};
    }
    return fromTm(tm, now.milliseconds);
}

SystemTime getSystemTime() {
    const ClockReading now = readClock();
    std::tm tm{};
    if (!detail::toUniversalTm(now.seconds, tm)) return SystemTime{};
    return fromTm(tm, now.milliseconds);
}

}  // namespace Platform
