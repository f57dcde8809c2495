// Library paths (GBK on Windows, bytes on POSIX) as each file interface takes
// them, and names that must reach no file at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "contracts/platform/FilePath.h"

namespace {

namespace fs = std::filesystem;

const std::string kGbk = "用户数据/导出.csv";  // GBK bytes: sources are compiled so

TEST(FilePath, LibraryPathsRoundTripAndBadNamesNameNoFile) {
#ifdef _WIN32
    EXPECT_EQ(Platform::filePath(kGbk).native(), fs::path(L"用户数据/导出.csv").native());
    EXPECT_EQ(Platform::sqlitePath(kGbk), u8"用户数据/导出.csv");
    // A lead byte with a bad trail byte, and one at the end.
    for (const std::string bad : {"\x81\x7f", "a\xd6"}) {
        EXPECT_TRUE(Platform::filePath(bad).empty()) << bad;
        EXPECT_TRUE(Platform::sqlitePath(bad).empty()) << bad;
    }
    EXPECT_TRUE(Platform::pathString(fs::path(L"x\u0e01")).empty());  // no GBK code
#else
    EXPECT_EQ(Platform::filePath(kGbk).native(), kGbk);
    EXPECT_EQ(Platform::sqlitePath(kGbk), kGbk);
#endif
    EXPECT_EQ(Platform::pathString(Platform::filePath(kGbk)), kGbk);
    const std::string nul("a\0b", 3);  // the system would read "a"
    EXPECT_TRUE(Platform::filePath(nul).empty());
    EXPECT_TRUE(Platform::sqlitePath(nul).empty());
    EXPECT_EQ(Platform::openFile(Platform::filePath(nul), "wb"), nullptr);
}

}  // namespace
