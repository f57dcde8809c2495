// Wall-clock time split into calendar fields by the C runtime, which follows
// TZ when it is set and the system's time zone otherwise; sleeping on Sleep().
#include "contracts/platform/Time.h"

#include <windows.h>

#include <ctime>
#include <mutex>

#include "components/platform/common/TimeFields.h"

namespace Platform {

SystemTime getLocalTime() {
    const detail::ClockReading now = detail::readClock();
    std::tm tm{};
    {
        // _tzset() rewrites the runtime's zone globals that localtime_s reads.
        static std::mutex zone;
        const std::lock_guard<std::mutex> lock(zone);
        _tzset();
        if (localtime_s(&tm, &now.seconds) != 0) return SystemTime{};
    }
    return detail::fromTm(tm, now.milliseconds);
}

SystemTime getSystemTime() {
    const detail::ClockReading now = detail::readClock();
    std::tm tm{};
    if (gmtime_s(&tm, &now.seconds) != 0) return SystemTime{};
    return detail::fromTm(tm, now.milliseconds);
}

// Sleep(0) gives up the rest of the time slice.
void sleepMs(unsigned long ms) { Sleep(ms); }

}  // namespace Platform
