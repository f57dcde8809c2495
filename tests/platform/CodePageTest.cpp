#include "contracts/platform/CodePage.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

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
    };
    for (const Text& t : texts) {
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

TEST(CodePage, RejectsInvalidOrUnencodableInputWithEmptyOutput) {
    // GBK: lead byte at the end, trail byte out of range, 0xff.
    // UTF-8: overlong, truncated, lone continuation, emoji (not in GBK).
    const std::pair<bool, std::string> cases[] = {{true, "ok\xd5"},    {true, "\xd5\x7f"}, {true, "a\xff"},
                                                  {false, "\xc0\xaf"}, {false, "\xe6\xad"}, {false, "a\x80"},
                                                  {false, "a\xf0\x9f\x98\x80"}};
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
}

}  // namespace
