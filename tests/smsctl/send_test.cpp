// smsctl send: a real send reaches the history; a dry run leaves the user
// folder as it was; wrong arguments exit with 2; timed sends are cancelled in
// later runs; two clients on one folder lose nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "addressbook/CFriendMag.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CFriend.h"
#include "tests/smsctl/SmsctlRun.h"

namespace {

// Every file of the folder with its bytes.
std::map<std::string, std::string> snapshot(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& f : std::filesystem::recursive_directory_iterator(dir)) {
        if (f.is_regular_file()) files[f.path().string()] = smsctltest::slurp(f.path().string());
    }
    return files;
}

TEST(SmsctlSend, SentNumbersReachTheHistoryAndRefusedOnesAreNamed) {
    const fakes::TempDir dir;
    const auto r = smsctltest::run(
        dir, {"send", "13800138000", "13012345678", "12345", "--text", u8"明天开会"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("refused 12345"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("packets_failed"), std::string::npos) << r.out;
    const auto sent = smsctltest::sentTimes(dir.file("user"));
    EXPECT_EQ(sent, (std::map<std::string, int>{{"13012345678", 1}, {"13800138000", 1}}));
}

// Output piped to a reader that quits early: the send still goes through.
TEST(SmsctlSend, AReaderThatGoesAwayDoesNotEndTheSend) {
    const fakes::TempDir dir;
    const std::string command = smsctltest::quoted(SMSCTL_BIN) + " --user-dir " +
                                smsctltest::quoted(dir.file("user")) +
                                " send 13800138000 --text hi 2>&1 | head -c 1 >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(smsctltest::sentTimes(dir.file("user")),
              (std::map<std::string, int>{{"13800138000", 1}}));
}

TEST(SmsctlSend, DryRunStoresNothing) {
    const fakes::TempDir dir;
    const std::string user = dir.file("user");
    const std::vector<std::string> dry = {"--json",     "send",   "--dry-run",    "--group",    "1",
                                          "--personal", "--text", u8"<姓名>您好", "13900139000"};
    // Without user data, a dry run does not create them.
    ASSERT_EQ(smsctltest::run(dir, {"send", "--dry-run", "--text", "hi", "13900139000"}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(user));

    ASSERT_EQ(smsctltest::run(dir, {"send", "13800138000", "--text", "hi"}).status, 0);
    {
        Dmg::CDataManager::getSingleton().openUserData(user);
        Dmg::CFriend contact;
        contact.addPropetyAndValue("名字", "张三");
        contact.addPropetyAndValue("手机", "13500135000");
        int id = 0;
        SMS::CFriendMag().addFriend(contact, std::vector<int>{1}, id);
        Dmg::CDataManager::getSingleton().closeUserData();
    }
    const auto before = snapshot(user);
    const auto r = smsctltest::run(dir, dry);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(u8"\"text\": \"张三您好\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"total\": 2"), std::string::npos) << r.out;
    EXPECT_EQ(snapshot(user), before);
}

TEST(SmsctlSend, WrongArgumentsExitWith2) {
    const fakes::TempDir dir;
    const std::vector<std::vector<std::string>> cases = {
        {"send", "13800138000", "--text", "hi", "--at", "2026-02-30 10:00"},
        {"send", "13800138000", "--text", "hi", "--at", "tomorrow"},
        {"send", "13800138000"},
        {"send", "--text", "hi"},
    };
    for (const auto& args : cases) {
        const auto r = smsctltest::run(dir, args);
        SCOPED_TRACE(r.err);
        EXPECT_EQ(r.status, 2);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("user")));
}

// A timed send in one run is listed and cancelled at the service in the next
// runs: the gateway's schedule and the timed-message list agree across runs.
TEST(SmsctlSend, TimedSendIsListedAndCancelledInLaterRuns) {
    const fakes::TempDir dir;
    const auto sent =
        smsctltest::run(dir, {"send", "13800138000", "--text", "hi", "--at", "2030-01-02 03:04"});
    ASSERT_EQ(sent.status, 0) << sent.err;
    const auto listed = smsctltest::run(dir, {"--json", "timers", "list"});
    EXPECT_NE(listed.out.find("\"key\": \"TM1\""), std::string::npos) << listed.out;
    const auto cancelled = smsctltest::run(dir, {"timers", "cancel", "--all"});
    EXPECT_EQ(cancelled.status, 0) << cancelled.err;
    EXPECT_NE(cancelled.out.find(u8"正确删除1"), std::string::npos) << cancelled.out;
    EXPECT_EQ(smsctltest::run(dir, {"timers", "list"}).out, u8"(none)\n");
    EXPECT_EQ(smsctltest::slurp(dir.file("user/embedded-gateway.txt")).find("packet"),
              std::string::npos);
}

// A second client started on the same user folder while the first one sends:
// both sends go through, every number once in the history.
TEST(SmsctlSend, SecondClientWhileTheFirstSendsLosesNothing) {
    const fakes::TempDir dir;
    constexpr int kNumbers = 3000;
    for (const char* name : {"a.csv", "b.csv"}) {
        std::ofstream csv(dir.file(name));
        for (int i = 0; i < kNumbers; ++i)
            csv << 13800000000LL + i + (name[0] == 'b' ? kNumbers : 0) << "\n";
    }
    const pid_t a =
        smsctltest::start(dir, {"send", "--csv", dir.file("a.csv"), "--text", "A"}, "a");
    // The second starts once the first has queued its packets.
    while (!std::filesystem::exists(dir.file("user/SQu.dll"))) std::this_thread::yield();
    const auto second =
        smsctltest::run(dir, {"send", "--csv", dir.file("b.csv"), "--text", "B"}, "", "b");
    const auto first = smsctltest::finish(dir, a, "a");
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(second.status, 0) << second.err;
    const auto sent = smsctltest::sentTimes(dir.file("user"));
    EXPECT_EQ(sent.size(), 2u * kNumbers);
    EXPECT_TRUE(std::all_of(sent.begin(), sent.end(), [](const auto& e) { return e.second == 1; }));
}

}  // namespace
