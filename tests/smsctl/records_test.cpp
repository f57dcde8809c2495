// The record commands as a user runs them: replies injected, searched,
// deleted and exported; a history written by the library's log mover listed,
// searched, exported and deleted; timed messages cancelled across runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "contracts/dmg/CLogSendQueueSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/net/CEmbeddedGateway.h"
#include "contracts/net/CNetTimerSendB.h"
#include "tests/smsctl/SmsctlRun.h"

namespace {

using smsctltest::run;

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

const std::string kKey = "Quenp19990812";

// Packets sent, as the sending thread leaves them: state 1 accepted, 2
// refused; a timed packet with the service's key. Then moved into the
// history (and the timed messages) as the log thread does it.
void makeSent(const std::string& userDir, std::vector<Dmg::QueueData> packets,
              const std::vector<int>& states, const std::vector<std::string>& keys = {}) {
    std::filesystem::create_directories(userDir);
    Dmg::CSendQueueSerialize queue;
    std::vector<int> ids;
    ASSERT_EQ(queue.initialize(userDir + "/SQu.dll", kKey), 1);
    ASSERT_EQ(queue.writeQueue(packets, ids), 1);
    for (std::size_t i = 0; i < packets.size(); ++i) {
        if (i < keys.size()) {
            ASSERT_EQ(queue.setServiceKey(ids[i], keys[i]), 1);
        }
        ASSERT_EQ(queue.modifyStatus(ids[i], states[i]), 1);
    }
    queue.close();
    Dmg::CLogSendQueueSerialize mover;
    std::vector<Dmg::QueueData> done;
    ASSERT_EQ(mover.initializeHistroyDB(userDir + "/HLog.dll", kKey), 1);
    ASSERT_EQ(mover.initializeSendQueueDB(userDir + "/SQu.dll", kKey), 1);
    ASSERT_EQ(mover.initializeMainDB(userDir + "/Main.dll", kKey), 1);
    ASSERT_EQ(mover.getAllSendData(done, ids), 1);
    ASSERT_EQ(mover.writeLog(done), 1);
    mover.closeSendQueueDB(), mover.closeHistoryDB(), mover.closeMainDB();
}

Dmg::QueueData sent(const std::string& label, const std::string& phone, int minute) {
    Dmg::QueueData p;
    p.displayText = label;
    p.phoneList = phone + ",";
    p.queuedTime = {2026, 12, 6, 8, minute};
    return p;
}

// A timed packet of group `group`, for one phone at 2026-12-24 09:00.
Dmg::QueueData timed(const std::string& label, int group) {
    Dmg::QueueData p = sent(label, "13800138000", 0);
    p.timerFlag = 1, p.timerId = group, p.commonMsg = 0, p.timerData = {2026, 12, 24, 9, 0};
    SMS::NET::CNetTimerSendB{group, 1, 2026, 12, 24, 9, 0, {"13800138000"}, {}, {}, {}, {label}}
        .getPacketT(p.packetText);
    return p;
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
    runSteps(
        dir,
        {
            {{"replies", "inject", "13800138000", u8"收到，谢谢", "--time", "2026-12-01 09:30"},
             0,
             {"stored 1 reply"}},
            {{"replies", "inject", "13900139000", "STOP", "--time", "2026-12-03 10:00"}, 0, {}},
            {{"replies", "inject", "13700137000", "later", "--time", "2026-12-05"}, 0, {}},
            {{"replies", "inject", "1", "x", "--time", "2026-13-01 00:00"}, 2, {"--time"}},
            {{"--json", "replies", "list"},
             0,
             {u8"\"收到，谢谢\"", "\"2026-12-03 10:00\"", "later"}},
            {{"replies", "search", "--from", "2026-12-02", "--to", "2026-12-04"},
             0,
             {"STOP"},
             {"later", u8"谢谢"}},
            {{"replies", "search", "--key", u8"谢"}, 0, {"13800138000"}, {"STOP", "later"}},
            {{"replies", "export", file, "--to", "2026-12-03"}, 0, {"exported 2 replies"}},
            {{"replies", "delete", "2"}, 0, {"deleted 1 reply"}},
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
    makeSent(dir.file("user"),
             {sent("hello", "13800138000", 0), sent("你好", "13800138001", 1),
              sent("late", "13800138002", 2)},
             {1, 1, 2});
    const std::string file = dir.file("history.csv");
    runSteps(dir,
             {
                 {{"--json", "history", "list"},
                  0,
                  {"\"hello\"", u8"\"你好\"", "\"failed\"", "13800138002"}},
                 {{"history", "list", "--page", "1", "--page-size", "2"}, 0, {"late"}, {"hello"}},
                 {{"history", "search", "--failed"}, 0, {"late"}, {"hello"}},
                 {{"history", "search", "--key", u8"你"}, 0, {u8"你好"}, {"hello"}},
                 {{"history", "export", file, "--key", "hello"}, 0, {"exported 1 history record"}},
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
                      {{"history", "delete", number}, 0, {"deleted 1 history record"}},
                      {{"history", "list"}, 0, {"late"}, {"hello"}},
                      {{"history", "delete", "--all"}, 0, {"deleted 2 history records"}},
                      {{"history", "list"}, 0, {"(none)"}},
                  });
}

// A timed message scheduled by an earlier run: the gateway of this run knows
// it from its state file and cancels it; one the service never had is refused
// and stays.
TEST(SmsctlRecords, TimersCancelAcrossRuns) {
    const fakes::TempDir dir;
    const std::string user = dir.file("user"), state = user + "/embedded-gateway.txt";
    std::filesystem::create_directories(user);
    {
        SMS::NET::CEmbeddedGateway earlier;
        ASSERT_TRUE(earlier.setStateFile(state));
        ASSERT_EQ(earlier.send(timed("party", 5)).serviceKey, "TM1");
    }
    makeSent(user, {timed("party", 5), timed("ghost", 6)}, {1, 1}, {"TM1", "TM9"});
    const smsctltest::Result listed = run(dir, {"--json", "timers", "list"});
    ASSERT_TRUE(has(listed.out, "\"TM1\"") && has(listed.out, "\"2026-12-24 09:00\""))
        << listed.out;
    const auto idOf = [&](const std::string& key) {
        const std::size_t at = listed.out.rfind("\"record\": \"", listed.out.find(key));
        return listed.out.substr(at + 11, listed.out.find('"', at + 11) - at - 11);
    };
    runSteps(dir, {
                      {{"timers", "cancel", idOf("TM9")}, 1, {"refused to cancel 1"}},
                      {{"timers", "cancel", idOf("TM1")}, 0, {u8"正确删除1条"}},
                      {{"timers", "list"}, 0, {"ghost"}, {"party"}},
                      {{"timers", "cancel", "77"}, 1, {"no timed message with record id 77"}},
                      {{"sendlog", "list"}, 0, {"(none)"}},  // an empty log is no failure
                  });
    SMS::NET::CEmbeddedGateway later;
    ASSERT_TRUE(later.setStateFile(state));
    EXPECT_EQ(later.scheduledCount(), 0u);
}

}  // namespace
