// The record commands as a user runs them: replies injected, searched,
// deleted and exported; a history written by the library's log mover listed,
// searched, exported and deleted; a timed message that is not there.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "contracts/dmg/CLogSendQueueSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "tests/smsctl/SmsctlRun.h"

namespace {

using smsctltest::run;

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Three packets sent (two accepted, one refused) and moved into the history,
// as the log thread does it.
void makeHistory(const std::string& userDir) {
    const std::string key = "Quenp19990812";
    std::filesystem::create_directories(userDir);
    std::vector<Dmg::QueueData> packets(3);
    const char* const labels[] = {"hello", "你好", "late"};
    for (int i = 0; i < 3; ++i) {
        packets[i].displayText = labels[i];
        packets[i].phoneList = "1380013800" + std::to_string(i) + ",";
        packets[i].queuedTime = {2026, 12, 6, 8, i};
    }
    Dmg::CSendQueueSerialize queue;
    std::vector<int> ids;
    ASSERT_EQ(queue.initialize(userDir + "/SQu.dll", key), 1);
    ASSERT_EQ(queue.writeQueue(packets, ids), 1);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(queue.modifyStatus(ids[i], i == 2 ? 2 : 1), 1);
    queue.close();
    Dmg::CLogSendQueueSerialize mover;
    std::vector<Dmg::QueueData> done;
    ASSERT_EQ(mover.initializeHistroyDB(userDir + "/HLog.dll", key), 1);
    ASSERT_EQ(mover.initializeSendQueueDB(userDir + "/SQu.dll", key), 1);
    ASSERT_EQ(mover.initializeMainDB(userDir + "/Main.dll", key), 1);
    ASSERT_EQ(mover.getAllSendData(done, ids), 1);
    ASSERT_EQ(mover.writeLog(done), 1);
    mover.closeSendQueueDB(), mover.closeHistoryDB(), mover.closeMainDB();
}

struct Step {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> out;  // parts of stdout (stderr when the status is not 0)
    std::vector<std::string> absent = {};
};

void runSteps(const fakes::TempDir& dir, const std::vector<Step>& steps) {
    for (const Step& s : steps) {
        const smsctltest::Result r = run(dir, s.args);
        SCOPED_TRACE(s.args[0] + " " + s.args[1] + "\n" + r.out + r.err);
        EXPECT_EQ(r.status, s.status);
        const std::string& text = s.status == 0 ? r.out : r.err;
        for (const auto& part : s.out) EXPECT_TRUE(has(text, part)) << part;
        for (const auto& part : s.absent) EXPECT_FALSE(has(text, part)) << part;
    }
}

TEST(SmsctlRecords, RepliesRoundTrip) {
    const fakes::TempDir dir;
    const std::string file = dir.file("replies.csv");
    runSteps(dir, {
        {{"replies", "inject", "13800138000", u8"收到，谢谢", "--time", "2026-12-01 09:30"}, 0,
         {"stored 1 reply"}},
        {{"replies", "inject", "13900139000", "STOP", "--time", "2026-12-03 10:00"}, 0, {}},
        {{"replies", "inject", "13700137000", "later", "--time", "2026-12-05"}, 0, {}},
        {{"replies", "inject", "1", "x", "--time", "2026-13-01 00:00"}, 2, {"--time"}},
        {{"--json", "replies", "list"}, 0, {u8"\"收到，谢谢\"", "\"2026-12-03 10:00\"", "later"}},
        {{"replies", "search", "--from", "2026-12-02", "--to", "2026-12-04"}, 0, {"STOP"},
         {"later", u8"谢谢"}},
        {{"replies", "search", "--key", u8"谢"}, 0, {"13800138000"}, {"STOP", "later"}},
        {{"replies", "export", file, "--to", "2026-12-03"}, 0, {"exported 2 replies"}},
        {{"replies", "delete", "2"}, 0, {"deleted 1 replies"}},
        {{"replies", "delete", "2"}, 1, {"no reply numbered 2"}},
        {{"replies", "delete"}, 2, {"--all"}},
        {{"replies", "list"}, 0, {"later"}, {"STOP"}},
        {{"replies", "delete", "--all"}, 0, {"deleted 2 replies"}},
        {{"replies", "list"}, 0, {"(none)"}},
    });
    const std::string exported = smsctltest::slurp(file);
    EXPECT_TRUE(has(exported, "13900139000") && !has(exported, "13700137000")) << exported;
}

TEST(SmsctlRecords, HistoryListSearchExportDelete) {
    const fakes::TempDir dir;
    makeHistory(dir.file("user"));
    const std::string file = dir.file("history.csv");
    runSteps(dir, {
        {{"--json", "history", "list"}, 0, {"\"hello\"", u8"\"你好\"", "\"failed\"", "13800138002"}},
        {{"history", "list", "--page", "1", "--page-size", "2"}, 0, {"late"}, {"hello"}},
        {{"history", "search", "--failed"}, 0, {"late"}, {"hello"}},
        {{"history", "search", "--key", u8"你"}, 0, {u8"你好"}, {"hello"}},
        {{"history", "export", file, "--key", "hello"}, 0, {"exported 1 history records"}},
        {{"history", "delete", "99"}, 1, {"no history record numbered 99"}},
        {{"history", "delete", "--all", "1"}, 2, {}},
    });
    EXPECT_TRUE(has(smsctltest::slurp(file), "13800138000"));
    // The numbers the history gave.
    const smsctltest::Result listed = run(dir, {"--json", "history", "search", "--key", "hello"});
    const std::size_t at = listed.out.find("\"number\": \"");
    ASSERT_NE(at, std::string::npos) << listed.out;
    const std::string number = listed.out.substr(at + 11, listed.out.find('"', at + 11) - at - 11);
    runSteps(dir, {
        {{"history", "delete", number}, 0, {"deleted 1 history records"}},
        {{"history", "list"}, 0, {"late"}, {"hello"}},
        {{"history", "delete", "--all"}, 0, {"deleted 2 history records"}},
        {{"history", "list"}, 0, {"(none)"}},
    });
}

TEST(SmsctlRecords, TimersAndSendLogWithNothingThere) {
    const fakes::TempDir dir;
    runSteps(dir, {
        {{"timers", "cancel", "7"}, 1, {"no timed message with record id 7"}},
        {{"timers", "list"}, 0, {"(none)"}},
        {{"sendlog", "list"}, 0, {"(none)"}},
    });
}

}  // namespace
