// Seconds split into calendar fields by the C library, and sleeping.
#include "contracts/platform/Time.h"

#include <chrono>
#include <ctime>
#include <thread>

#include "components/platform/common/TimeFields.h"

namespace Platform {

namespace detail {

bool toLocalTm(std::time_t seconds, std::tm& tm) {
    // Pick up a changed TZ, as the local time of the machine would.
    tzset();
    return localtime_r(&seconds, &tm) != nullptr;
}

bool toUniversalTm(std::time_t seconds, std::tm& tm) { return gmtime_r(&seconds, &tm) != nullptr; }

}  // namespace detail

void sleepMs(unsigned long ms) {
    if (ms == 0) {
        // Like Sleep(0): give up the rest of the time slice.
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace Platform
