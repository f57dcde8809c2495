// smsctl send: a real send reaches the history; a dry run leaves the user
// folder as it was; two clients on one folder lose nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/smsctl/SmsctlRun.h"

namespace smsctltest {
namespace {

using Sent = std::map<std::string, int>;

// Every file of the folder with its bytes.
std::map<std::string, std::string> snapshot(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& f : std::filesystem::recursive_directory_iterator(dir)) {
        if (f.is_regular_file()) files[f.path().string()] = slurp(f.path().string());
    }
    return files;
}

TEST(SmsctlSend, SentNumbersReachTheHistoryAndRefusedOnesAreNamed) {
    const fakes::TempDir dir;
    // clang-format off
    runSteps(dir, {{{"send", "13800138000", "13012345678", "12345", "--text", u8"明天开会"}, 0,
                    {"packets_failed"}}});
    // clang-format on
    EXPECT_TRUE(has(slurp(dir.file("stderr")), "refused 12345"));
    EXPECT_EQ(sentTimes(dir.file("user")), (Sent{{"13012345678", 1}, {"13800138000", 1}}));
}

// Output piped to a reader that quits early: the send still goes through.
TEST(SmsctlSend, AReaderThatGoesAwayDoesNotEndTheSend) {
    if (!fakes::ChildProcess::hasPosixShell()) {
        GTEST_SKIP() << "SIGPIPE is POSIX's, and the pipe is built by a POSIX shell";
    }
    const fakes::TempDir dir;
    const std::string command = std::string("'") + SMSCTL_BIN + "' --user-dir '" +
                                dir.file("user") +
                                "' send 13800138000 --text hi 2>&1 | head -c 1 >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(sentTimes(dir.file("user")), (Sent{{"13800138000", 1}}));
}

TEST(SmsctlSend, DryRunStoresNothing) {
    const fakes::TempDir dir;
    const std::string user = dir.file("user");
    // Without user data, a dry run does not create them.
    ok(dir, {"send", "--dry-run", "--text", "hi", "13900139000"});
    EXPECT_FALSE(std::filesystem::exists(user));
    ok(dir, {"send", "13800138000", "--text", "hi"});
    ok(dir, {"contacts", "add", "--name", u8"张三", "--mobile", "13500135000"});
    const auto before = snapshot(user);
    // clang-format off
    runSteps(dir, {{{"--json", "send", "--dry-run", "--group", "1", "--personal", "--text",
                     u8"<姓名>您好", "13900139000"},
                    0, {u8"\"text\": \"张三您好\"", "\"total\": 2"}}});
    // clang-format on
    EXPECT_EQ(snapshot(user), before);
}

// A second client started on the same user folder while the first one sends:
// both sends go through, every number once in the history.
TEST(SmsctlSend, SecondClientWhileTheFirstSendsLosesNothing) {
    const fakes::TempDir dir;
    constexpr int kNumbers = 3000;
    std::ofstream a(dir.file("a.csv")), b(dir.file("b.csv"));
    for (int i = 0; i < kNumbers; ++i)
        a << 13800000000LL + i << "\n", b << 13800003000LL + i << "\n";
    a.close(), b.close();
    fakes::ChildProcess first = start(dir, {"send", "--csv", dir.file("a.csv"), "--text", "A"}, "a");
    // The second starts once the first has queued its packets.
    while (!std::filesystem::exists(dir.file("user/SQu.dll"))) std::this_thread::yield();
    EXPECT_EQ(run(dir, {"send", "--csv", dir.file("b.csv"), "--text", "B"}, "b").status, 0);
    EXPECT_EQ(finish(dir, first, "a").status, 0);
    const auto sent = sentTimes(dir.file("user"));
    EXPECT_EQ(sent.size(), 2u * kNumbers);
    EXPECT_TRUE(std::all_of(sent.begin(), sent.end(), [](const auto& e) { return e.second == 1; }));
}

}  // namespace
}  // namespace smsctltest
