// The library's literals must reach the binary as GBK bytes; a build without
// the GBK execution character set fails here.
#include <gtest/gtest.h>

#include <string>

namespace {

TEST(GbkLiterals, LiteralsAreGbkBytesAndUtf8LiteralsStayUtf8) {
    EXPECT_EQ(std::string("正在删除历史记录...\n\n"),
              "\xd5\xfd\xd4\xda\xc9\xbe\xb3\xfd\xc0\xfa\xca\xb7\xbc\xc7\xc2\xbc...\n\n");
    EXPECT_EQ(std::string("写成功，！手机名字"),
              "\xd0\xb4\xb3\xc9\xb9\xa6\xa3\xac\xa3\xa1\xca\xd6\xbb\xfa\xc3\xfb\xd7\xd6");
    EXPECT_EQ(std::string(u8"手机"), "\xe6\x89\x8b\xe6\x9c\xba");
}

}  // namespace
