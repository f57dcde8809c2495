#include "contracts/platform/Time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>

namespace {

using Platform::SystemTime;

long long asUtcSeconds(const SystemTime& st) {
    std::tm tm{};
    tm.tm_year = st.wYear - 1900;
    tm.tm_mon = st.wMonth - 1;
    tm.tm_mday = st.wDay;
    tm.tm_hour = st.wHour;
    tm.tm_min = st.wMinute;
    tm.tm_sec = st.wSecond;
    return timegm(&tm);
}

TEST(Time, FieldsInRangeAndLocalFollowsTimeZone) {
    const char* const saved = std::getenv("TZ");
    const std::string restore = saved ? saved : "";
    const std::pair<const char*, int> zones[] = {{"UTC0", 0}, {"CST-8", 8 * 3600}, {"EST5", -5 * 3600}};
    // No tzset() here: local time must follow a changed TZ by itself.
    for (const auto& [tz, offset] : zones) {
        SCOPED_TRACE(tz);
        setenv("TZ", tz, 1);
        const SystemTime local = Platform::getLocalTime();
        const SystemTime utc = Platform::getSystemTime();
        for (const SystemTime& st : {local, utc}) {
            EXPECT_TRUE(st.wYear >= 2020 && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 && st.wDay <= 31 &&
                        st.wHour <= 23 && st.wMinute <= 59 && st.wSecond <= 59 && st.wMilliseconds <= 999 &&
                        st.wDayOfWeek <= 6);
        }
        EXPECT_NEAR(static_cast<double>(asUtcSeconds(local) - asUtcSeconds(utc)), offset, 2.0);
    }
    saved ? setenv("TZ", restore.c_str(), 1) : unsetenv("TZ");
    tzset();
}

TEST(Time, SleepLastsAtLeastTheRequestedTime) {
    const auto start = std::chrono::steady_clock::now();
    Platform::sleepMs(30);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

}  // namespace
