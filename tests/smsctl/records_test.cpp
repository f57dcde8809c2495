// The record commands as a user runs them: replies injected, searched,
// deleted and exported; a history written by the library's log mover listed,
// searched, exported and deleted; timed messages cancelled across runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "contracts/dmg/CLogSendQueueSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/net/CNetTimerSendB.h"
#include "tests/smsctl/SmsctlRun.h"

namespace smsctltest {
namespace {

const std::string kKey = "Quenp19990812";

// Packets sent, as the sending thread leaves them: state 1 accepted, 2
// refused; with `key`, each a timed packet with that service key. Then moved
// into the history (and the timed messages) as the log thread does it.
void makeSent(const std::string& userDir, std::vector<Dmg::QueueData> packets,
              const std::vector<int>& states, const std::string& key = "") {
    std::filesystem::create_directories(userDir);
    Dmg::CSendQueueSerialize queue;
    std::vector<int> ids;
    ASSERT_EQ(queue.initialize(userDir + "/SQu.dll", kKey), 1);
    ASSERT_EQ(queue.writeQueue(packets, ids), 1);
    for (std::size_t i = 0; i < packets.size(); ++i) {
        ASSERT_TRUE(key.empty() || queue.setServiceKey(ids[i], key) == 1);
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

// The value of the first `"field": "` in `json` after `from`.
std::string field(const std::string& json, const std::string& name, std::size_t from = 0) {
    const std::string key = "\"" + name + "\": \"";
    const std::size_t at = json.find(key, from) + key.size();
    return json.substr(at, json.find('"', at) - at);
}

TEST(SmsctlRecords, RepliesRoundTrip) {
    const fakes::TempDir dir;
    const std::string file = dir.file("replies.csv");
    // clang-format off
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
        {{"replies", "delete", "2"}, 0, {"deleted 1 reply"}},
        {{"replies", "delete", "2"}, 1, {"no reply numbered 2"}},
        {{"replies", "delete"}, 2, {"--all"}},
        {{"replies", "list"}, 0, {"later"}, {"STOP"}},
        {{"replies", "delete", "--all"}, 0, {"deleted 2 replies"}},
        {{"replies", "list"}, 0, {"(none)"}},
    });
    // clang-format on
    const std::string exported = slurp(file);
    EXPECT_TRUE(has(exported, "13900139000") && !has(exported, "13700137000")) << exported;
}

TEST(SmsctlRecords, HistoryListSearchExportDelete) {
    const fakes::TempDir dir;
    makeSent(dir.file("user"),
             {sent("hello", "13800138000", 0), sent("你好", "13800138001", 1),
              sent("late", "13800138002", 2)},
             {1, 1, 2});
    const std::string file = dir.file("history.csv");
    // clang-format off
    runSteps(dir, {
        {{"--json", "history", "list"}, 0,
         {"\"hello\"", u8"\"你好\"", "\"failed\"", "13800138002"}},
        {{"history", "list", "--page", "1", "--page-size", "2"}, 0, {"late"}, {"hello"}},
        {{"history", "search", "--failed"}, 0, {"late"}, {"hello"}},
        {{"history", "search", "--key", u8"你"}, 0, {u8"你好"}, {"hello"}},
        {{"history", "export", file, "--key", "hello"}, 0, {"exported 1 history record"}},
        {{"history", "delete", "99"}, 1, {"no history record numbered 99"}},
        {{"history", "delete", "--all", "1"}, 2, {}},
        {{"sendlog", "list"}, 0, {"(none)"}},  // an empty log is no failure
    });
    // clang-format on
    EXPECT_TRUE(has(slurp(file), "13800138000"));
    const std::string number =
        field(ok(dir, {"--json", "history", "search", "--key", "hello"}), "number");
    // clang-format off
    runSteps(dir, {
        {{"history", "delete", number}, 0, {"deleted 1 history record"}},
        {{"history", "list"}, 0, {"late"}, {"hello"}},
        {{"history", "delete", "--all"}, 0, {"deleted 2 history records"}},
        {{"history", "list"}, 0, {"(none)"}},
    });
    // clang-format on
}

// A timed send of one run is listed and cancelled at the service in the next
// runs; one the service never had is refused and stays.
TEST(SmsctlRecords, TimersCancelAcrossRuns) {
    const fakes::TempDir dir;
    ok(dir, {"send", "13800138000", "--text", "party", "--at", "2030-01-02 03:04"});
    Dmg::QueueData ghost = sent("ghost", "13800138000", 0);
    ghost.timerFlag = 1, ghost.timerId = 6, ghost.commonMsg = 0,
    ghost.timerData = {2026, 12, 24, 9, 0};
    SMS::NET::CNetTimerSendB{6, 1, 2026, 12, 24, 9, 0, {"13800138000"}, {}, {}, {}, {"ghost"}}
        .getPacketT(ghost.packetText);
    makeSent(dir.file("user"), {ghost}, {1}, "TM9");
    const std::string listed = ok(dir, {"--json", "timers", "list"});
    ASSERT_TRUE(has(listed, "\"TM1\"") && has(listed, "\"2030-01-02 03:04\"")) << listed;
    const auto idOf = [&](const std::string& key) {
        return field(listed, "record", listed.rfind("\"record\": \"", listed.find(key)));
    };
    // clang-format off
    runSteps(dir, {
        {{"timers", "cancel", idOf("TM9")}, 1, {"refused to cancel 1"}},
        {{"timers", "cancel", idOf("TM1")}, 0, {u8"正确删除1条"}},
        {{"timers", "list"}, 0, {"ghost"}, {"party"}},
        {{"timers", "cancel", "77"}, 1, {"no timed message with record id 77"}},
    });
    // clang-format on
    EXPECT_FALSE(has(slurp(dir.file("user/embedded-gateway.txt")), "packet"));
}

}  // namespace
}  // namespace smsctltest
