#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>
#include <vector>

#include "contracts/base/StringConverter.h"
#include "contracts/base/StringUtil.h"

TEST(StringConverter, ToStringExtremes) {
    const auto str = [](auto value) { return Base::StringConverter::toString(value); };
    // clang-format off
    const std::tuple<std::string, std::string> cases[] = {
        {str(short{SHRT_MIN}), "-32768"}, {str(static_cast<unsigned short>(USHRT_MAX)), "65535"},
        {str(INT_MIN), "-2147483648"}, {str(UINT_MAX), "4294967295"}, {str(0), "0"},
        {str(LONG_MIN), std::to_string(LONG_MIN)}, {str(ULONG_MAX), std::to_string(ULONG_MAX)},  // 32 bits on Windows
        {str(LLONG_MIN), "-9223372036854775808"}, {str(ULLONG_MAX), "18446744073709551615"}};
    // clang-format on
    for (const auto& [actual, expected] : cases) EXPECT_EQ(actual, expected);
}

TEST(StringConverter, ToIntBehavesLikeAtoiAndSaturates) {
    // clang-format off
    const std::tuple<std::string, int> cases[] = {
        {" \t\n\v\f\r 15", 15}, {"+42", 42}, {"-007x", -7}, {std::string("12\0003", 4), 12},
        {"", 0}, {"abc", 0}, {"+-5", 0}, {"- 5", 0}, {"\xA1\xA1-5", 0},  // GBK full-width space
        {"2147483647", INT_MAX}, {"2147483648", INT_MAX}, {"99999999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN}, {"-2147483649", INT_MIN}, {"-99999999999999999999999", INT_MIN},
        {"00000000000000000000012", 12}};
    // clang-format on
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(Base::StringConverter::toInt(text), expected) << "text: \"" << text << "\"";
}

TEST(StringUtil, Split) {
    using Pieces = std::vector<std::string>;
    // clang-format off
    const std::tuple<std::string, std::string, unsigned int, Pieces> cases[] = {
        {",;a,,b;", ",;", 0, {"a", "b"}}, {",,,", ",", 0, {}}, {"abc", "", 0, {"abc"}},
        // maxSplits: the rest, delimiters included, stays in the last piece.
        {",,a,,,b,,c,,", ",", 1, {"a", "b,,c,,"}}, {"a,,,", ",", 1, {"a"}},
        // GBK: a trail byte equal to a delimiter is part of its character.
        {"\xD5\x5C\\x", "\\", 0, {"\xD5\x5C", "x"}},
        {"\xB0\x7C|\xB0\x7C|x", "|", 1, {"\xB0\x7C", "\xB0\x7C|x"}},
        // Single bytes: lead byte at the end, lead before an invalid trail, not a lead.
        {"a,\x81", ",", 0, {"a", "\x81"}}, {"\x81\x7Fx", "\x7F", 0, {"\x81", "x"}},
        {"\xFF|a", "|", 0, {"\xFF", "a"}}};
    // clang-format on
    for (const auto& [text, delims, maxSplits, expected] : cases) {
        SCOPED_TRACE("text: \"" + text + "\" max " + std::to_string(maxSplits));
        EXPECT_EQ(Base::StringUtil::split(text, delims, maxSplits), expected);
    }
    EXPECT_EQ(Base::StringUtil::split(" x\ty\n"), (Pieces{"x", "y"}));
}
