#include "contracts/platform/Time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

using Platform::SystemTime;

// Reads the fields as UTC seconds since the epoch.
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

TEST(Time, FieldsInRangeAndDayOfWeekMatchesDate) {
    for (const auto get : {Platform::getLocalTime, Platform::getSystemTime}) {
        SCOPED_TRACE(get == Platform::getLocalTime ? "local" : "utc");
        const SystemTime st = get();
        EXPECT_TRUE(st.wYear >= 2020 && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 && st.wDay <= 31);
        EXPECT_TRUE(st.wHour <= 23 && st.wMinute <= 59 && st.wSecond <= 59 && st.wMilliseconds <= 999);
        // 1970-01-01 was a Thursday.
        EXPECT_EQ(st.wDayOfWeek, (asUtcSeconds(st) / 86400 + 4) % 7);
    }
    const long long now = std::time(nullptr);
    EXPECT_NEAR(static_cast<double>(asUtcSeconds(Platform::getSystemTime())), static_cast<double>(now), 2.0);
}

TEST(Time, LocalTimeFollowsTimeZone) {
    const char* const saved = std::getenv("TZ");
    const std::string restore = saved ? saved : "";
    const struct {
        const char* tz;
        int offset;
    } zones[] = {{"UTC0", 0}, {"CST-8", 8 * 3600}, {"EST5", -5 * 3600}};
    // No tzset() here: local time must follow a changed TZ by itself.
    for (const auto& zone : zones) {
        SCOPED_TRACE(zone.tz);
        setenv("TZ", zone.tz, 1);
        const long long local = asUtcSeconds(Platform::getLocalTime());
        EXPECT_NEAR(static_cast<double>(local - asUtcSeconds(Platform::getSystemTime())), zone.offset, 2.0);
    }
    if (saved) {
        setenv("TZ", restore.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

TEST(Time, SleepLastsAtLeastTheRequestedTime) {
    const auto start = std::chrono::steady_clock::now();
    Platform::sleepMs(30);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

}  // namespace
