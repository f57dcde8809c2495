#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "contracts/platform/CodePage.h"
#include "contracts/platform/CriticalSection.h"
#include "contracts/platform/FileIdentity.h"
#include "contracts/platform/FileLock.h"
#include "contracts/platform/NamedEvent.h"
#include "contracts/platform/Time.h"
#include "tests/fakes/TempDir.h"

namespace {

using Platform::CriticalSection;
using Platform::NamedEvent;
using Result = NamedEvent::WaitResult;
using std::chrono::milliseconds;

// An initial signal consumed by the first wait: the queue service's event test.
TEST(NamedEvent, SharedByNameUnnamedPrivate) {
    NamedEvent a("platform-test-a", false, false);
    NamedEvent sameName("platform-test-a", false, false);
    NamedEvent unnamed("", false, false), otherUnnamed("", false, false);
    a.set();
    otherUnnamed.set();
    EXPECT_EQ(unnamed.wait(0), Result::TimedOut);
    EXPECT_EQ(sameName.wait(0), Result::Signalled);
    EXPECT_EQ(a.wait(0), Result::TimedOut)
        << "the wait through the shared name should have consumed it";
}

// Waiters time out after 20 s, so a lost wake-up fails the test instead of hanging it.
TEST(NamedEvent, SetReleasesOneAutoResetWaiterOrAllManualResetWaiters) {
    for (const bool manual : {false, true}) {
        SCOPED_TRACE(manual ? "manual" : "auto");
        NamedEvent event("", manual, false);
        std::atomic<int> released{0};
        std::vector<std::thread> waiters;
        for (int i = 0; i < 2; ++i)
            waiters.emplace_back([&] { released += event.wait(20000) == Result::Signalled; });
        std::this_thread::sleep_for(milliseconds(50));  // let them block first
        event.set();
        if (!manual) {
            for (int i = 0; i < 10000 && released.load() == 0; ++i)
                std::this_thread::sleep_for(milliseconds(1));
            std::this_thread::sleep_for(milliseconds(100));
            EXPECT_EQ(released.load(), 1) << "one set of an auto-reset event released both waiters";
            event.set();
        }
        for (auto& waiter : waiters) waiter.join();
        EXPECT_EQ(released.load(), 2);
    }
}

TEST(CriticalSection, ReentrantOwnerAndExcludesOtherThreads) {
    CriticalSection cs;
    cs.enter();
    ASSERT_TRUE(cs.tryEnter());
    cs.leave();
    std::thread([&] {
        EXPECT_FALSE(cs.tryEnter() && (cs.leave(), true))
            << "one leave short of the enters must still hold it";
    }).join();
    cs.leave();
    std::thread([&] { EXPECT_TRUE(cs.tryEnter() && (cs.leave(), true)); }).join();

    long counter = 0;  // guarded only by cs; a data race shows as a lost update
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                const CriticalSection::Guard outer(cs), nested(cs);
                ++counter;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(counter, 4 * 5000);
}

// Year, month, day, weekday, hour, minute, second of a clock reading, and of
// the second `t` as gmtime() splits it, the weekday counted from 1970-01-01,
// a Thursday.
using Fields = std::array<int, 7>;
Fields fields(const Platform::SystemTime& st) {
    return {st.wYear, st.wMonth, st.wDay, st.wDayOfWeek, st.wHour, st.wMinute, st.wSecond};
}
Fields fields(std::time_t t) {
    std::tm tm{};
#ifdef _WIN32
    gmtime_s(&tm, &t);
#else
    gmtime_r(&t, &tm);
#endif
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, static_cast<int>((t / 86400 + 4) % 7),
            tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

// Sets TZ, or unsets it for an empty value.
void setTz(const std::string& value) {
#ifdef _WIN32
    _putenv_s("TZ", value.c_str());
#else
    value.empty() ? unsetenv("TZ") : setenv("TZ", value.c_str(), 1);
#endif
}

// Each clock shows a second between two calls of time(), shifted by the
// zone's offset, or the one after: time() may lag the precise clock a tick.
TEST(Time, UtcAndLocalShowTheCurrentSecondAndSleepLastsItsTime) {
    const char* const saved = std::getenv("TZ");
    const std::string restore = saved ? saved : "";
    // No tzset() here: local time must follow a changed TZ by itself.
    for (const auto& [tz, offset] :
         {std::pair<const char*, long>{"UTC0", 0}, {"CST-8", 8 * 3600}, {"EST5", -5 * 3600}}) {
        setTz(tz);
        for (const bool local : {false, true}) {
            SCOPED_TRACE(std::string(tz) + (local ? " local" : " UTC"));
            const std::time_t before = std::time(nullptr);
            const auto st = local ? Platform::getLocalTime() : Platform::getSystemTime();
            const std::time_t after = std::time(nullptr);
            bool shown = false;
            for (std::time_t t = before; t <= after + 1; ++t)
                shown = shown || fields(st) == fields(t + (local ? offset : 0));
            EXPECT_TRUE(shown) << testing::PrintToString(fields(st));
            EXPECT_LE(st.wMilliseconds, 999);
        }
    }
    setTz(restore);
    // A sleep lasts at least the time asked for.
    const auto start = std::chrono::steady_clock::now();
    Platform::sleepMs(30);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

struct Text {
    std::string gbk;
    std::wstring wide;
    std::string utf8;
};

// Every direction; outputs start stale to catch output left uncleared.
void expectRoundTrips(const Text& t) {
    std::wstring wide = L"stale";
    std::string bytes = "stale";
    EXPECT_TRUE(Platform::gbkToWide(t.gbk, wide) && wide == t.wide);
    EXPECT_TRUE(Platform::wideToGbk(t.wide, bytes) && bytes == t.gbk);
    EXPECT_TRUE(Platform::gbkToUtf8(t.gbk, bytes) && bytes == t.utf8);
    EXPECT_TRUE(Platform::utf8ToGbk(t.utf8, bytes) && bytes == t.gbk);
}

TEST(CodePage, RoundTripsAllDirections) {
    const Text texts[] = {
        {"Hi, 1\r\n", L"Hi, 1\r\n", "Hi, 1\r\n"},
        {"\xd5\xfd\xd4\xda", L"\u6b63\u5728", "\xe6\xad\xa3\xe5\x9c\xa8"},
        {"\x80", L"\u20ac", "\xe2\x82\xac"},  // euro
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
        // User-defined areas, private use as on Windows: first and last code of
        // each, the second lead of the first, the trails around 0x7F.
        {"\xaa\xa1\xab\xa1\xaf\xfe", L"\ue000\ue05e\ue233", "\xee\x80\x80\xee\x81\x9e\xee\x88\xb3"},
        {"\xf8\xa1\xfe\xfe", L"\ue234\ue4c5", "\xee\x88\xb4\xee\x93\x85"},
        {"\xa1\x40\xa1\x7e\xa1\x80\xa7\xa0", L"\ue4c6\ue504\ue505\ue765",
         "\xee\x93\x86\xee\x94\x84\xee\x94\x85\xee\x9d\xa5"},
        // All of them mixed; repeated to 1 MB below.
        {"\xd5\xfd\xaa\xa1" "a\xfe\xfe\x80\xa7\xa0\xd4\xda", L"\u6b63\ue000a\ue4c5\u20ac\ue765\u5728",
         "\xe6\xad\xa3\xee\x80\x80" "a\xee\x93\x85\xe2\x82\xac\xee\x9d\xa5\xe5\x9c\xa8"},
    };
    for (const Text& t : texts) {
        SCOPED_TRACE(t.utf8);
        expectRoundTrips(t);
    }
    Text large;
    for (const Text& unit = texts[std::size(texts) - 1]; large.gbk.size() < (1u << 20);) {
        large.gbk += unit.gbk, large.wide += unit.wide, large.utf8 += unit.utf8;
    }
    expectRoundTrips(large);
}

TEST(CodePage, RejectsInvalidOrUnencodableInputWithEmptyOutput) {
    // GBK: lead byte at the end, trail byte out of range, 0xff, codes left
    // unassigned among the symbols (Windows gives them private use).
    // UTF-8: overlong, truncated, lone continuation, emoji (not in GBK), the
    // private-use code after the last user-defined one, a tag character
    // (which iconv would drop).
    // clang-format off
    const std::pair<bool, std::string> cases[] = {
        {true, "ok\xd5"}, {true, "\xd5\x7f"}, {true, "a\xff"}, {true, "\xa2\xab"}, {true, "\xfe\x51"},
        {false, "\xc0\xaf"}, {false, "\xe6\xad"}, {false, "a\x80"}, {false, "a\xf0\x9f\x98\x80"},
        {false, "\xee\x9d\xa6"}, {false, "a\xf3\xa0\x80\x81"}};
    // clang-format on
    for (const auto& [fromGbk, in] : cases) {
        SCOPED_TRACE(in);
        std::string out = "stale";
        EXPECT_FALSE(fromGbk ? Platform::gbkToUtf8(in, out) : Platform::utf8ToGbk(in, out));
        EXPECT_TRUE(out.empty());
    }
    std::wstring wide = L"stale";
    EXPECT_TRUE(!Platform::gbkToWide("ok\xd5", wide) && wide.empty());
    std::string gbk = "stale";
    EXPECT_TRUE(!Platform::wideToGbk(L"a\U0001F600", gbk) && gbk.empty());
    EXPECT_TRUE(!Platform::wideToGbk(L"a\ue766", gbk) && gbk.empty());
    EXPECT_TRUE(!Platform::wideToGbk(L"a\U000E0041", gbk) && gbk.empty());
}

void touch(const std::string& path) { std::ofstream(path) << "x"; }

TEST(FileIdentity, SameFileByAnyPathFollowsRenamesMissingIsNone) {
    const fakes::TempDir dir;
    touch(dir.file("a"));
    touch(dir.file("b"));
    std::filesystem::create_directory(dir.file("sub"));
    Platform::FileIdentity a, aAgain, b, none{7, 7};
    ASSERT_TRUE(Platform::identifyFile(dir.file("a"), a));
    ASSERT_TRUE(Platform::identifyFile(dir.file("sub") + "/../a", aAgain));
    ASSERT_TRUE(Platform::identifyFile(dir.file("b"), b));
    EXPECT_EQ(a, aAgain);
    EXPECT_NE(a, b);
    EXPECT_TRUE(a < b || b < a);
    // A file moved over another takes its identity to the new path.
    std::filesystem::rename(dir.file("a"), dir.file("b"));
    ASSERT_TRUE(Platform::identifyFile(dir.file("b"), b));
    EXPECT_EQ(a, b);
    EXPECT_FALSE(Platform::identifyFile(dir.file("a"), none));
    EXPECT_EQ(none, (Platform::FileIdentity{7, 7}));
}

// Shared locks side by side, each kind refused while the other is held, and
// released with their objects, across processes: smsctl's queue and send tests.
TEST(FileLock, ExclusiveExcludesExclusiveAndAMissingFolderCannotBeOpened) {
    using Lock = Platform::FileLock;
    const fakes::TempDir dir;
    const Lock held(dir.file("queue.lock"), Lock::Mode::Exclusive);  // creates the file
    ASSERT_EQ(held.result(), Lock::Result::Locked);
    EXPECT_EQ(Lock(dir.file("queue.lock"), Lock::Mode::Exclusive).result(),
              Lock::Result::HeldByAnother);
    EXPECT_EQ(Lock(dir.file("missing/queue.lock"), Lock::Mode::Shared).result(),
              Lock::Result::CannotOpen);
}

}  // namespace
