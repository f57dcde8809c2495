// Wall-clock time split into calendar fields by the C library, and sleeping.
#include "contracts/platform/Time.h"

#include <chrono>
#include <ctime>
#include <mutex>
#include <thread>

#include "components/platform/common/TimeFields.h"

namespace Platform {

SystemTime getLocalTime() {
    const detail::ClockReading now = detail::readClock();
    std::tm tm{};
    {
        // The C library guards its time-zone state with a lock of its own
        // that race checkers do not see; threads reading the local time at
        // once take this one as well.
        static std::mutex zone;
        const std::lock_guard<std::mutex> lock(zone);
        // Pick up a changed TZ, as the local time of the machine would.
        tzset();
        if (localtime_r(&now.seconds, &tm) == nullptr) return SystemTime{};
    }
    return detail::fromTm(tm, now.milliseconds);
}

SystemTime getSystemTime() {
    const detail::ClockReading now = detail::readClock();
    std::tm tm{};
    if (gmtime_r(&now.seconds, &tm) == nullptr) {
        return SystemTime{};
    }
    return detail::fromTm(tm, now.milliseconds);
}

void sleepMs(unsigned long ms) {
    if (ms == 0) {
        // Like Sleep(0): give up the rest of the time slice.
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace Platform
