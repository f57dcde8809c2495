// Wall-clock time split into calendar fields, and sleeping.
#include "contracts/platform/Time.h"

#include <chrono>
#include <ctime>
#include <mutex>
#include <thread>

namespace Platform {
namespace {

using Clock = std::chrono::system_clock;

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

// Splits the current time into whole seconds and the milliseconds past them.
void now(std::time_t& seconds, unsigned short& milliseconds) {
    const auto sinceEpoch = Clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
    // Floor division, so times before the epoch still get 0..999 ms.
    auto wholeSeconds = ms / 1000;
    auto rest = ms % 1000;
    if (rest < 0) {
        rest += 1000;
        --wholeSeconds;
    }
    seconds = static_cast<std::time_t>(wholeSeconds);
    milliseconds = static_cast<unsigned short>(rest);
}

}  // namespace

SystemTime getLocalTime() {
    std::time_t seconds = 0;
    unsigned short milliseconds = 0;
    now(seconds, milliseconds);
    std::tm tm{};
    {
        // The C library guards its time-zone state with a lock of its own
        // that race checkers do not see; threads reading the local time at
        // once take this one as well.
        static std::mutex zone;
        const std::lock_guard<std::mutex> lock(zone);
        // Pick up a changed TZ, as the local time of the machine would.
        tzset();
        if (localtime_r(&seconds, &tm) == nullptr) return SystemTime{};
    }
    return fromTm(tm, milliseconds);
}

SystemTime getSystemTime() {
    std::time_t seconds = 0;
    unsigned short milliseconds = 0;
    now(seconds, milliseconds);
    std::tm tm{};
    if (gmtime_r(&seconds, &tm) == nullptr) {
        return SystemTime{};
    }
    return fromTm(tm, milliseconds);
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
