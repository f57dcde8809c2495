#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <climits>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "contracts/base/CLog.h"
#include "contracts/base/CLogCapture.h"

namespace fs = std::filesystem;
using Base::CLog;
using Base::CLogCapture;
using Line = CLogCapture::Line;

namespace {

std::vector<std::string> fileLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Every digit as 'd', to check the shape of a file line's prefix.
std::string shapeOf(std::string s) {
    for (char& c : s)
        if (std::isdigit(static_cast<unsigned char>(c))) c = 'd';
    return s;
}

// Each test gets its own folder and leaves the process-wide log as it found it.
class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        dir_ = fs::temp_directory_path() /
               ("sms_base_log_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        CLog::getSingleton().closeLogFile();
        CLog::getSingleton().setFileLevel(0);
        fs::remove_all(dir_);
    }
    fs::path dir_;
};

}  // namespace

TEST(CLogCapture, RecordsClampedLevelsAndExactText) {
    const struct {
        int level;
        int expected;
        std::string text;
    } cases[] = {
        {INT_MIN, 0, "far below"},
        {-1, 0, "below"},
        {0, 0, "trace"},
        {1, 1, "progress"},
        {2, 2, "outcome"},
        {3, 2, "above"},
        {INT_MAX, 2, "far above"},
        {1, 1, "{} {0} {:>10} {"},       // format fields are text, not formatting
        {2, 2, "写成功"},                  // GBK bytes pass through unconverted
        {1, 1, std::string("a\0b\xFF", 4)},
        {1, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        CLogCapture capture;
        CLog::getSingleton().writeMessage(c.text, c.level);
        EXPECT_EQ(capture.lines(), (std::vector<Line>{{c.expected, c.text}}));
    }
    EXPECT_EQ(std::string("写成功"), "\xD0\xB4\xB3\xC9\xB9\xA6");
}

TEST(CLogCapture, SeveralCapturesEachSeeTheirOwnLifetime) {
    CLog& log = CLog::getSingleton();
    log.writeMessage("before any", 1);
    CLogCapture outer;
    log.writeMessage("a", 0);
    {
        CLogCapture inner;
        log.writeMessage("b", 1);
        EXPECT_EQ(inner.lines(), (std::vector<Line>{{1, "b"}}));
        inner.clear();
        EXPECT_TRUE(inner.lines().empty());
    }
    log.writeMessage("c", 2);
    EXPECT_EQ(outer.lines(), (std::vector<Line>{{0, "a"}, {1, "b"}, {2, "c"}}));
    outer.clear();
    log.writeMessage("d", 1);
    EXPECT_EQ(outer.lines(), (std::vector<Line>{{1, "d"}}));
}

TEST_F(LogFileTest, WritesTimestampLevelThreadAndRawTextIntoNewNestedFolder) {
    const fs::path path = dir_ / "a" / "b" / "c" / "app.log";
    CLog& log = CLog::getSingleton();
    log.writeMessage("dropped: no file yet", 2);
    ASSERT_TRUE(log.setLogFile(path.string()));
    ASSERT_TRUE(fs::is_directory(path.parent_path()));

    const std::string texts[] = {"进度 {} 50%", "done"};
    log.writeMessage(texts[0], 1);
    log.writeMessage(texts[1], 2);
    log.flush();

    const auto lines = fileLines(path);
    ASSERT_EQ(lines.size(), 2u);
    const char* levelNames[] = {"info", "warning"};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i]);
        // "YYYY-MM-DD hh:mm:ss.mmm [level] [thread id] text"
        const std::string head = "dddd-dd-dd dd:dd:dd.ddd [" + std::string(levelNames[i]) + "] [";
        const std::string tail = "] " + texts[i];
        ASSERT_GT(lines[i].size(), head.size() + tail.size());
        const std::string shape = shapeOf(lines[i]);
        EXPECT_EQ(shape.substr(0, head.size()), head);
        const std::size_t idSize = lines[i].size() - head.size() - tail.size();
        EXPECT_EQ(shape.substr(head.size(), idSize), std::string(idSize, 'd'));
        EXPECT_EQ(lines[i].substr(head.size() + idSize), tail);
    }
}

TEST_F(LogFileTest, FileLevelFiltersOnlyTheFile) {
    const fs::path path = dir_ / "app.log";
    CLog& log = CLog::getSingleton();
    ASSERT_TRUE(log.setLogFile(path.string()));
    CLogCapture capture;
    for (const int fileLevel : {7, -3}) {  // clamped to 2, then to 0
        log.setFileLevel(fileLevel);
        for (int level = 0; level <= 2; ++level)
            log.writeMessage("L" + std::to_string(fileLevel) + "/" + std::to_string(level), level);
    }
    log.flush();

    const auto lines = fileLines(path);
    ASSERT_EQ(lines.size(), 4u);
    const char* expected[] = {"L7/2", "L-3/0", "L-3/1", "L-3/2"};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines[i].substr(lines[i].size() - std::string(expected[i]).size()), expected[i]);
    }
    EXPECT_EQ(capture.lines().size(), 6u);
}

TEST_F(LogFileTest, RotatesIntoNumberedFiles) {
    const fs::path path = dir_ / "app.log";
    CLog& log = CLog::getSingleton();
    ASSERT_TRUE(log.setLogFile(path.string(), 1000, 2));
    for (int i = 0; i < 100; ++i) log.writeMessage("line " + std::to_string(i) + std::string(40, 'x'), 1);
    log.closeLogFile();

    EXPECT_TRUE(fs::exists(dir_ / "app.1.log"));
    EXPECT_TRUE(fs::exists(dir_ / "app.2.log"));
    EXPECT_FALSE(fs::exists(dir_ / "app.3.log"));
    for (const char* name : {"app.log", "app.1.log", "app.2.log"}) {
        SCOPED_TRACE(name);
        EXPECT_LE(fs::file_size(dir_ / name), 1000u);
    }
    const auto current = fileLines(path);
    ASSERT_FALSE(current.empty());
    EXPECT_NE(current.back().find("line 99x"), std::string::npos);
}

TEST_F(LogFileTest, BadTargetIsRefusedAndOnlyTheCurrentFileGetsLines) {
    const fs::path first = dir_ / "first.log";
    const fs::path second = dir_ / "second.log";
    std::ofstream(dir_ / "plain") << "a regular file";
    CLog& log = CLog::getSingleton();
    ASSERT_TRUE(log.setLogFile(first.string()));
    log.writeMessage("one", 1);
    ASSERT_TRUE(log.setLogFile(second.string()));

    const std::string bad[] = {
        (dir_ / "plain" / "sub" / "x.log").string(),  // folder under a regular file
        (dir_ / "plain" / "x.log").string(),
        dir_.string(),                                // a folder, not a file
        "",
    };
    for (const auto& path : bad) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(log.setLogFile(path));
    }
    EXPECT_FALSE(log.setLogFile((dir_ / "zero.log").string(), 0, 1));  // size 0 is refused

    log.writeMessage("two", 2);
    log.closeLogFile();
    log.writeMessage("three", 2);
    log.flush();
    ASSERT_EQ(fileLines(first).size(), 1u);
    ASSERT_EQ(fileLines(second).size(), 1u);
    EXPECT_NE(fileLines(second)[0].find("two"), std::string::npos);
}

TEST_F(LogFileTest, ConcurrentWritersWhileTheFileIsSwapped) {
    constexpr int kThreads = 4;
    constexpr int kLines = 300;
    CLog& log = CLog::getSingleton();
    CLogCapture capture;
    std::atomic<bool> writing{true};

    std::thread swapper([&] {
        for (int i = 0; writing; ++i) {
            log.setLogFile((dir_ / ("swap" + std::to_string(i % 3) + ".log")).string());
            log.setFileLevel(i % 3);
            if (i % 5 == 0) log.closeLogFile();
        }
    });
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t)
        writers.emplace_back([&log, t] {
            for (int i = 0; i < kLines; ++i)
                log.writeMessage("t" + std::to_string(t) + " " + std::to_string(i), i % 3);
        });
    for (auto& w : writers) w.join();
    writing = false;
    swapper.join();

    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines));
    // Each writer's lines arrive whole and in its own order.
    std::vector<int> next(kThreads, 0);
    for (const auto& line : lines) {
        const int t = line.text[1] - '0';
        ASSERT_EQ(line.text, "t" + std::to_string(t) + " " + std::to_string(next[t]));
        EXPECT_EQ(line.level, next[t] % 3);
        ++next[t];
    }
}
