// The library's literals must reach the binary as GBK bytes; a build without
// the GBK execution character set fails here.
#include <gtest/gtest.h>

#include <string>

namespace {

std::string hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

TEST(GbkLiterals, LiteralsAreGbkBytes) {
    struct Case {
        std::string literal;
        const char* bytes;
    };
    const Case cases[] = {
        {"正在删除历史记录...\n\n",
         "d5 fd d4 da c9 be b3 fd c0 fa ca b7 bc c7 c2 bc 2e 2e 2e 0a 0a"},
        {"写成功", "d0 b4 b3 c9 b9 a6"},
        {"手机", "ca d6 bb fa"},
        {"名字", "c3 fb d7 d6"},
        {"，！", "a3 ac a3 a1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(hex(c.literal), c.bytes);
    }
}

TEST(GbkLiterals, Utf8LiteralsStayUtf8) { EXPECT_EQ(hex(u8"手机"), "e6 89 8b e6 9c ba"); }

}  // namespace
