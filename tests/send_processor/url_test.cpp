#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "send/CSmsMsgProcessor.h"

namespace {

using SMS::CSmsMsgProcessor;
using Buffer = std::unique_ptr<char, decltype(&std::free)>;

std::string encode(const std::string& in) {
    int length = -1;
    const Buffer out(CSmsMsgProcessor::urlencode(in.data(), static_cast<int>(in.size()), &length),
                     &std::free);
    EXPECT_EQ(std::strlen(out.get()), static_cast<std::size_t>(length));
    return std::string(out.get(), length);
}

std::string decode(std::string in) {
    in.push_back('f');  // room for the terminator; a hex digit that must not be read
    const int length = CSmsMsgProcessor::urldecode(&in[0], static_cast<int>(in.size()) - 1);
    EXPECT_EQ(in[length], '\0');
    return in.substr(0, length);
}

TEST(UrlCodec, EveryByteAndRoundTrip) {
    const std::string plain = "-._0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    std::string all;
    for (unsigned b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const std::string one(1, static_cast<char>(b));
        const std::string upper{'%', "0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 15]};
        const std::string lower{'%', "0123456789abcdef"[b >> 4], "0123456789abcdef"[b & 15]};
        const bool kept = plain.find(one) != std::string::npos;
        EXPECT_EQ(encode(one), b == ' ' ? "+" : kept ? one : upper);
        EXPECT_EQ(decode(one), b == '+' ? " " : one);
        EXPECT_EQ(decode(upper) + decode(lower), one + one);
        all += one;
    }
    EXPECT_EQ(decode(encode(all + all)), all + all);
}

TEST(UrlCodec, Corners) {
    const std::pair<std::string, std::string> decodes[] = {
        {"%4a%4A+", "JJ "}, {"%4", "%4"}, {"ab%", "ab%"}, {"%G1%1G", "%G1%1G"}, {"%%41", "%A"},
    };
    for (const auto& [in, out] : decodes) EXPECT_EQ(decode(in), out) << in;
    EXPECT_EQ(encode("a ~啊"), "a+%7E%B0%A1");
    EXPECT_EQ(encode(std::string("a\0b", 3)), "a%00b");

    // Bad lengths and pointers give empty results, never wild memory use.
    int length = -1;
    const Buffer empty(CSmsMsgProcessor::urlencode("abc", -5, &length), &std::free);
    EXPECT_EQ(std::string(empty.get()) + std::to_string(length), "0");
    EXPECT_EQ(CSmsMsgProcessor::urlencode("abc", 0x7FFFFFFF, &length), nullptr);
    char buffer[] = "+x";
    EXPECT_EQ(CSmsMsgProcessor::urldecode(buffer, -1) + buffer[0], 0);
    EXPECT_EQ(CSmsMsgProcessor::urldecode(nullptr, 4), 0);
}

}  // namespace
