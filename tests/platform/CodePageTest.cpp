#include "contracts/platform/CodePage.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

// One text as GBK bytes, wide characters and UTF-8 bytes.
struct Text {
    std::string gbk;
    std::wstring wide;
    std::string utf8;
};

const Text kTexts[] = {
    {"", L"", ""},
    {"Hi, 1\r\n", L"Hi, 1\r\n", "Hi, 1\r\n"},
    {"\xd5\xfd\xd4\xda", L"\u6b63\u5728", "\xe6\xad\xa3\xe5\x9c\xa8"},  // zheng zai
    {"\x80", L"\u20ac", "\xe2\x82\xac"},                                   // euro
    {std::string("a\xd5\xfd" "\0", 4), std::wstring(L"a\u6b63\0", 3), std::string("a\xe6\xad\xa3\0", 5)},
};

// Checks every direction; `out` starts stale to catch output left uncleared.
void expectRoundTrips(const Text& t) {
    std::wstring wide = L"stale";
    std::string bytes = "stale";
    EXPECT_TRUE(Platform::gbkToWide(t.gbk, wide) && wide == t.wide);
    EXPECT_TRUE(Platform::wideToGbk(t.wide, bytes) && bytes == t.gbk);
    EXPECT_TRUE(Platform::gbkToUtf8(t.gbk, bytes) && bytes == t.utf8);
    EXPECT_TRUE(Platform::utf8ToGbk(t.utf8, bytes) && bytes == t.gbk);
}

TEST(CodePage, RoundTripsAllDirections) {
    for (const Text& t : kTexts) {
        SCOPED_TRACE(t.utf8);
        expectRoundTrips(t);
    }
    Text large;
    while (large.gbk.size() < (1u << 20)) {
        large.gbk += "\xd5\xfd\xd4\xda" "a\x80";
        large.wide += L"\u6b63\u5728a\u20ac";
        large.utf8 += "\xe6\xad\xa3\xe5\x9c\xa8" "a\xe2\x82\xac";
    }
    expectRoundTrips(large);
}

TEST(CodePage, RejectsInvalidOrUnmappableInputAndLeavesOutputEmpty) {
    // GBK: lone lead byte (alone, at the end), trail 0x7f or below range, 0xff.
    for (const std::string gbk : {"\xd5", "ok\xd5\xfd\xd5", "\xd5\x7f", "\xd5\x20", "a\xff"}) {
        SCOPED_TRACE(gbk);
        std::wstring wide = L"stale";
        std::string utf8 = "stale";
        EXPECT_TRUE(!Platform::gbkToWide(gbk, wide) && wide.empty());
        EXPECT_TRUE(!Platform::gbkToUtf8(gbk, utf8) && utf8.empty());
    }
    // UTF-8: overlong, truncated, lone continuation, surrogate, emoji (not in GBK).
    for (const std::string utf8 :
         {"\xc0\xaf", "\xe6\xad\xa3\xe6\xad", "a\x80", "\xed\xa0\x80", "a\xf0\x9f\x98\x80"}) {
        SCOPED_TRACE(utf8);
        std::string gbk = "stale";
        EXPECT_TRUE(!Platform::utf8ToGbk(utf8, gbk) && gbk.empty());
    }
    std::string gbk = "stale";
    EXPECT_TRUE(!Platform::wideToGbk(L"a\U0001F600", gbk) && gbk.empty());
}

TEST(CodePage, ConcurrentConversionsStayIndependent) {
    std::vector<int> failures(4, 0);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < failures.size(); ++t) {
        threads.emplace_back([&failures, t] {
            for (size_t i = 0; i < 500; ++i) {
                // A failed call before each good one shows a descriptor left in a bad state.
                const Text& text = kTexts[(t + i) % 5];
                std::string out;
                failures[t] += Platform::gbkToUtf8("\xd5", out) || !Platform::gbkToUtf8(text.gbk, out) ||
                               out != text.utf8;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

}  // namespace
