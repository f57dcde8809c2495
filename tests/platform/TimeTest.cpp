#include "contracts/platform/Time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <initializer_list>
#include <string>
#include <utility>

namespace {

using Platform::SystemTime;

std::string fields(std::initializer_list<int> values) {
    std::string text;
    for (const int v : values) text += std::to_string(v) + " ";
    return text;
}

// Year, month, day, weekday, hour, minute, second of a clock reading.
std::string show(const SystemTime& st) {
    return fields({st.wYear, st.wMonth, st.wDay, st.wDayOfWeek, st.wHour, st.wMinute, st.wSecond});
}

// The same of the second `t` as gmtime() splits it, with the weekday
// counted from 1970-01-01, a Thursday.
std::string show(std::time_t t) {
    std::tm tm{};
    gmtime_r(&t, &tm);
    const int weekday = static_cast<int>((t / 86400 + 4) % 7);
    return fields({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, weekday, tm.tm_hour, tm.tm_min, tm.tm_sec});
}

// Reads `clock` between two calls of time() and expects it to show one of
// those seconds shifted by `offset`, or the next one: time() may lag the
// precise clock by a tick.
template <typename Clock>
void expectShowsNow(Clock clock, long offset) {
    const std::time_t before = std::time(nullptr);
    const SystemTime st = clock();
    const std::time_t after = std::time(nullptr);
    EXPECT_LE(st.wMilliseconds, 999);
    for (std::time_t t = before; t <= after + 1; ++t) {
        if (show(st) == show(t + offset)) return;
    }
    ADD_FAILURE() << show(st) << "is not " << show(before + offset) << "nor a second or two later";
}

TEST(Time, UtcAndLocalShowTheCurrentSecond) {
    expectShowsNow(Platform::getSystemTime, 0);
    const char* const saved = std::getenv("TZ");
    const std::string restore = saved ? saved : "";
    // No tzset() here: local time must follow a changed TZ by itself.
    for (const auto& [tz, offset] : {std::pair<const char*, long>{"UTC0", 0}, {"CST-8", 8 * 3600}, {"EST5", -5 * 3600}}) {
        SCOPED_TRACE(tz);
        setenv("TZ", tz, 1);
        expectShowsNow(Platform::getLocalTime, offset);
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
