#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "contracts/base/CLog.h"
#include "contracts/base/CLogCapture.h"
#include "tests/fakes/TempDir.h"

namespace fs = std::filesystem;
using Base::CLog;
using Base::CLogCapture;
using Lines = std::vector<CLogCapture::Line>;

namespace Base {
void PrintTo(const CLogCapture::Line& l, std::ostream* os) { *os << l.level << ":" << l.text; }
}  // namespace Base

namespace {

// Cuts "YYYY-MM-DD hh:mm:ss.mmm [level] [thread id] text" to "[level] text";
// a line of any other shape stays whole, so comparing it fails.
std::string cutPrefix(const std::string& line) {
    char level[16];
    unsigned long threadId = 0;
    int textAt = 0;
    const int read = std::sscanf(line.c_str(), "%*4d-%*2d-%*2d %*2d:%*2d:%*2d.%*3d [%15[a-z]] [%lu] %n",
                                 level, &threadId, &textAt);
    return read == 2 && textAt > 0 ? "[" + std::string(level) + "] " + line.substr(textAt) : line;
}

// The file's lines, each cut to "[level] text".
std::vector<std::string> fileLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();  // Windows ends lines with CRLF
        lines.push_back(cutPrefix(line));
    }
    return lines;
}

// A fresh folder per test; leaves the process-wide log without a file.
struct LogFile : ::testing::Test {
    void TearDown() override { log.closeLogFile(); }
    CLog& log = CLog::getSingleton();
    const fakes::TempDir temp;
    const fs::path dir = temp.path();
};

}  // namespace

TEST(CLogCapture, ExactTextClampedLevelAndNestedLifetimes) {
    CLog& log = CLog::getSingleton();
    const std::string braces = "{} {0} {:>10} {", gbk = "写成功", nul("a\0b", 3);
    log.writeMessage("before any capture", 1);
    CLogCapture outer;
    log.writeMessage(braces, INT_MIN);  // braces are text, not format fields
    {
        CLogCapture inner;
        log.writeMessage(gbk, 3);  // GBK bytes pass through unconverted
        EXPECT_EQ(inner.lines(), (Lines{{2, gbk}}));
    }
    log.writeMessage(nul, INT_MAX);
    EXPECT_EQ(outer.lines(), (Lines{{0, braces}, {2, gbk}, {2, nul}}));
}

TEST_F(LogFile, NewNestedFolderBadPathKeepsTargetAndRotation) {
    const fs::path path = dir / "a" / "b" / "app.log";
    log.writeMessage("dropped: no file yet", 2);
    ASSERT_TRUE(log.setLogFile(path.string(), 1000, 2));
    log.writeMessage("进度 {} 50%", 1);
    std::ofstream(dir / "plain") << "a regular file";
    for (const fs::path& bad : {dir / "plain" / "x.log", dir, fs::path()})
        EXPECT_FALSE(log.setLogFile(bad.string())) << bad;
    log.writeMessage("kept", 2);
    log.flush();
    EXPECT_EQ(fileLines(path), (std::vector<std::string>{"[info] 进度 {} 50%", "[warning] kept"}));

    for (int i = 0; i < 100; ++i) log.writeMessage("line " + std::to_string(i) + "yyyyyyyyyy", 1);
    log.closeLogFile();
    log.writeMessage("dropped: closed", 2);
    std::error_code ec;  // a missing file has size -1
    for (const char* name : {"app.log", "app.1.log", "app.2.log"})
        EXPECT_LE(fs::file_size(path.parent_path() / name, ec), 1000u) << name;
    EXPECT_FALSE(fs::exists(path.parent_path() / "app.3.log"));
    const auto last = fileLines(path);
    ASSERT_FALSE(last.empty());
    EXPECT_EQ(last.back(), "[info] line 99yyyyyyyyyy");
}

TEST_F(LogFile, ConcurrentWritersWhileTheFileIsSwapped) {
    CLogCapture capture;
    std::atomic<bool> writing{true};
    std::thread swapper([&] {
        for (int i = 0; writing; ++i) log.setLogFile((dir / std::to_string(i % 3)).string());
    });
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([this, t] {
            for (int i = 0; i < 100; ++i)
                log.writeMessage(std::to_string(t) + " " + std::to_string(i), i % 3);
        });
    for (auto& w : writers) w.join();
    writing = false;
    swapper.join();

    // Every line arrives whole and in its writer's order.
    std::vector<int> next(4, 0);
    for (const auto& line : capture.lines()) {
        const int t = line.text[0] - '0';
        ASSERT_EQ(line.text, std::to_string(t) + " " + std::to_string(next.at(t)++));
    }
    EXPECT_EQ(next, std::vector<int>(4, 100));
}
