#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>

#include "contracts/platform/Time.h"

namespace {

// Year, month, day, weekday, hour, minute, second of a clock reading, and of
// the second `t` as gmtime() splits it, the weekday counted from 1970-01-01,
// a Thursday.
using Fields = std::array<int, 7>;
Fields fields(const Platform::SystemTime& st) {
    return {st.wYear, st.wMonth, st.wDay, st.wDayOfWeek, st.wHour, st.wMinute, st.wSecond};
}
Fields fields(std::time_t t) {
    std::tm tm{};
    gmtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, static_cast<int>((t / 86400 + 4) % 7),
            tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

// Each clock shows a second between two calls of time(), shifted by the
// zone's offset, or the one after: time() may lag the precise clock a tick.
TEST(Time, UtcAndLocalShowTheCurrentSecond) {
    const char* const saved = std::getenv("TZ");
    const std::string restore = saved ? saved : "";
    // No tzset() here: local time must follow a changed TZ by itself.
    for (const auto& [tz, offset] : {std::pair<const char*, long>{"", 0},
                                     {"UTC0", 0},
                                     {"CST-8", 8 * 3600},
                                     {"EST5", -5 * 3600}}) {
        SCOPED_TRACE(*tz ? tz : "UTC clock");
        if (*tz) setenv("TZ", tz, 1);
        const std::time_t before = std::time(nullptr);
        const Platform::SystemTime st = *tz ? Platform::getLocalTime() : Platform::getSystemTime();
        const std::time_t after = std::time(nullptr);
        bool shown = false;
        for (std::time_t t = before; t <= after + 1; ++t)
            shown = shown || fields(st) == fields(t + offset);
        EXPECT_TRUE(shown) << testing::PrintToString(fields(st));
        EXPECT_LE(st.wMilliseconds, 999);
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
