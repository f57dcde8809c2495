// Seconds split into calendar fields by the C runtime, which follows TZ when
// it is set and the system's time zone otherwise; sleeping on Sleep().
#include "contracts/platform/Time.h"

#include <windows.h>

#include <ctime>

#include "components/platform/common/TimeFields.h"

namespace Platform {

namespace detail {

bool toLocalTm(std::time_t seconds, std::tm& tm) {
    // _tzset() rewrites the runtime's zone globals that localtime_s reads.
    _tzset();
    return localtime_s(&tm, &seconds) == 0;
}

bool toUniversalTm(std::time_t seconds, std::tm& tm) { return gmtime_s(&tm, &seconds) == 0; }

}  // namespace detail

// Sleep(0) gives up the rest of the time slice.
void sleepMs(unsigned long ms) { Sleep(ms); }

}  // namespace Platform
