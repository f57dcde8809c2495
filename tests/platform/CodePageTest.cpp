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
        // User-defined areas, private use as on Windows: first and last code of
        // each, the second lead of the first, the trails around 0x7F.
        {"\xaa\xa1\xab\xa1\xaf\xfe", L"\ue000\ue05e\ue233", "\xee\x80\x80\xee\x81\x9e\xee\x88\xb3"},
        {"\xf8\xa1\xfe\xfe", L"\ue234\ue4c5", "\xee\x88\xb4\xee\x93\x85"},
        {"\xa1\x40\xa1\x7e\xa1\x80\xa7\xa0", L"\ue4c6\ue504\ue505\ue765",
         "\xee\x93\x86\xee\x94\x84\xee\x94\x85\xee\x9d\xa5"},
        {"\xd5\xfd\xaa\xa1" "a" "\xfe\xfe\x80\xa7\xa0\xd4\xda", L"\u6b63\ue000a\ue4c5\u20ac\ue765\u5728",
         "\xe6\xad\xa3\xee\x80\x80" "a" "\xee\x93\x85\xe2\x82\xac\xee\x9d\xa5\xe5\x9c\xa8"},
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
    // UTF-8: overlong, truncated, lone continuation, emoji (not in GBK), the
    // private-use code after the last user-defined one.
    const std::pair<bool, std::string> cases[] = {{true, "ok\xd5"},    {true, "\xd5\x7f"}, {true, "a\xff"},
                                                  {false, "\xc0\xaf"}, {false, "\xe6\xad"}, {false, "a\x80"},
                                                  {false, "a\xf0\x9f\x98\x80"}, {false, "\xee\x9d\xa6"}};
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
