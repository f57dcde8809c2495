#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "contracts/base/StringConverter.h"
#include "contracts/base/StringUtil.h"

using Base::StringConverter;
using Base::StringUtil;

TEST(StringConverter, ToStringCoversEachTypeRange) {
    EXPECT_EQ(StringConverter::toString(static_cast<short>(SHRT_MIN)), "-32768");
    EXPECT_EQ(StringConverter::toString(static_cast<short>(SHRT_MAX)), "32767");
    EXPECT_EQ(StringConverter::toString(static_cast<unsigned short>(USHRT_MAX)), "65535");
    EXPECT_EQ(StringConverter::toString(INT_MIN), "-2147483648");
    EXPECT_EQ(StringConverter::toString(0), "0");
    EXPECT_EQ(StringConverter::toString(UINT_MAX), "4294967295");
    EXPECT_EQ(StringConverter::toString(static_cast<long>(INT64_MIN)), "-9223372036854775808");
    EXPECT_EQ(StringConverter::toString(static_cast<unsigned long>(UINT64_MAX)),
              "18446744073709551615");
    EXPECT_EQ(StringConverter::toString(LLONG_MIN), "-9223372036854775808");
    EXPECT_EQ(StringConverter::toString(LLONG_MAX), "9223372036854775807");
    EXPECT_EQ(StringConverter::toString(ULLONG_MAX), "18446744073709551615");
    EXPECT_EQ(StringConverter::toString(0ull), "0");
}

TEST(StringConverter, ToIntBehavesLikeAtoiAndSaturates) {
    const struct {
        std::string text;
        int expected;
    } cases[] = {
        {"0", 0},
        {"42", 42},
        {"-42", -42},
        {"+42", 42},
        {"007", 7},
        {" \t\n\v\f\r 15", 15},
        {"12abc", 12},
        {"3.9", 3},
        {"1 2", 1},
        {"", 0},
        {"   ", 0},
        {"abc", 0},
        {"-", 0},
        {"+-5", 0},
        {"--5", 0},
        {"- 5", 0},
        {"\xA1\xA1" "5", 0},  // GBK full-width space is not white space
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"99999999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"-99999999999999999999999", INT_MIN},
        {"00000000000000000000012", 12},
        {"214748364x", 214748364},
        {std::string("12\0" "3", 4), 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("text: \"" + c.text + "\"");
        EXPECT_EQ(StringConverter::toInt(c.text), c.expected);
    }
}

TEST(StringUtil, Split) {
    using Pieces = std::vector<std::string>;
    const struct {
        std::string text;
        std::string delims;
        unsigned int maxSplits;
        Pieces expected;
    } cases[] = {
        {"1980-5-17", "-", 0, {"1980", "5", "17"}},
        {"a b\tc\nd", "\t\n ", 0, {"a", "b", "c", "d"}},
        {"  a  \t b  ", "\t\n ", 0, {"a", "b"}},
        {"a,;b;,c", ",;", 0, {"a", "b", "c"}},
        {"", ",", 0, {}},
        {",,,", ",", 0, {}},
        {"abc", ",", 0, {"abc"}},
        {"abc", "", 0, {"abc"}},
        // maxSplits: the rest, delimiters included, stays in the last piece.
        {"a,b,c,d", ",", 1, {"a", "b,c,d"}},
        {"a,b,c,d", ",", 2, {"a", "b", "c,d"}},
        {"a,b,c,d", ",", 3, {"a", "b", "c", "d"}},
        {"a,b", ",", 5, {"a", "b"}},
        {",,a,,,b,,c,,", ",", 1, {"a", "b,,c,,"}},
        {"a,,,", ",", 1, {"a"}},
        // GBK: a trail byte equal to a delimiter is part of its character.
        {"\x81|a|b", "|", 0, {"\x81|a", "b"}},
        {"\xD5\x5C\\x", "\\", 0, {"\xD5\x5C", "x"}},
        {"\xB0\x40@\xB0\x40", "@", 0, {"\xB0\x40", "\xB0\x40"}},
        {"\xC4\x61" "a\xC4\x61", "a", 0, {"\xC4\x61", "\xC4\x61"}},
        {"写成功,已发送", ",", 0, {"写成功", "已发送"}},
        {"\xB0\x7C|\xB0\x7C", "|", 1, {"\xB0\x7C", "\xB0\x7C"}},
        // Not a two-byte character: lead byte at the end, or before an invalid trail byte.
        {"ab\x81", ",", 0, {"ab\x81"}},
        {"a,\x81", ",", 0, {"a", "\x81"}},
        {"\x81 a", " ", 0, {"\x81", "a"}},
        {"\x81\x7F" "a", "\x7F", 0, {"\x81", "a"}},
        {"\xFF|a", "|", 0, {"\xFF", "a"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("text: \"" + c.text + "\" max " + std::to_string(c.maxSplits));
        EXPECT_EQ(StringUtil::split(c.text, c.delims, c.maxSplits), c.expected);
    }
    EXPECT_EQ(StringUtil::split(" x\ty\n"), (Pieces{"x", "y"}));
}
