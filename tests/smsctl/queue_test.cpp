// smsctl queue: packets an earlier run left queued are listed, deleted and
// resumed; Ctrl-C during a send leaves the rest queued; a run never takes
// over packets another run is sending.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/net/CNetSendASend.h"
#include "contracts/net/CNetTimerSendB.h"
#include "contracts/platform/FileLock.h"
#include "tests/fakes/WaitUntil.h"
#include "tests/smsctl/SmsctlRun.h"

namespace smsctltest {
namespace {

using Lock = Platform::FileLock;

// What a run that died after queueing leaves: one packet per number in the
// folder's queue, handed to no sending thread.
void leaveQueued(const std::string& userDir, const Args& numbers) {
    std::filesystem::create_directories(userDir);
    std::vector<Dmg::QueueData> packets(numbers.size());
    for (std::size_t n = 0; n < numbers.size(); ++n) {
        SMS::NET::CNetSendASend text;
        text.phones = {numbers[n]}, text.commonText = "hi", text.packetId = static_cast<int>(n);
        text.getPacketT(packets[n].packetText);
        packets[n].commonMsg = packets[n].recipientCount = packets[n].segmentCount = 1;
        packets[n].phoneList = numbers[n] + ",", packets[n].displayText = "hi";
    }
    // The last one is timed: resuming sends it too.
    Dmg::QueueData& timed = packets.back();
    timed.timerFlag = 1, timed.timerId = 1, timed.commonMsg = 0,
    timed.timerData = {2030, 1, 2, 3, 4};
    SMS::NET::CNetTimerSendB{1, 1, 2030, 1, 2, 3, 4, {numbers.back()}, {}, {}, {}, {"hi"}}
        .getPacketT(timed.packetText);
    Dmg::CSendQueueSerialize queue;
    std::vector<int> ids;
    ASSERT_EQ(queue.initialize(userDir + "/SQu.dll", "Quenp19990812"), 1);
    ASSERT_EQ(queue.writeQueue(packets, ids), 1);
    queue.close();
}

TEST(SmsctlQueue, LeftPacketsAreListedDeletedAndResumedOnce) {
    const fakes::TempDir dir;
    const std::string user = dir.file("user");
    leaveQueued(user, {"13800000001", "13800000002", "13800000003"});
    const std::string listed = ok(dir, {"--json", "queue", "list"});
    ASSERT_EQ(count(listed, "\"id\""), 3u) << listed;
    const std::size_t at = listed.find("\"id\": \"") + 7;
    const std::string id = listed.substr(at, listed.find('"', at) - at);
    // The folder's queue lock, held by this test as another run would hold it.
    {
        const Lock sending(user + "/queue.lock", Lock::Mode::Shared);
        ASSERT_TRUE(sending.locked());
        // clang-format off
        runSteps(dir, {{{"queue", "resume"}, 1, {"another smsctl is sending"}},
                       {{"queue", "delete", "--all"}, 1, {"another smsctl is sending"}}});
        // clang-format on
    }
    {
        const Lock resuming(user + "/queue.lock", Lock::Mode::Exclusive);
        ASSERT_TRUE(resuming.locked());
        runSteps(dir,
                 {{{"send", "13800000009", "--text", "x"}, 1, {"another smsctl is resuming"}}});
    }
    // clang-format off
    runSteps(dir, {{{"queue", "delete", "999999"}, 1, {}},
                   {{"queue", "delete", id}, 0, {"deleted 1 packets (1 recipients)\n"}},
                   {{"queue", "resume"}, 0, {}},
                   {{"queue", "list"}, 0, {"(none)\n"}}});
    // clang-format on
    EXPECT_EQ(sentTimes(user),
              (std::map<std::string, int>{{"13800000002", 1}, {"13800000003", 1}}));
}

// Ctrl-C at whatever point of a send: what was not sent stays queued, and
// resuming sends each number exactly once.
TEST(SmsctlQueue, CtrlCLeavesTheRestQueuedAndResumeSendsEachNumberOnce) {
    if (!fakes::ChildProcess::canInterrupt()) {
        GTEST_SKIP() << "Ctrl-C cannot be sent to a child without a console of its own";
    }
    const fakes::TempDir dir;
    constexpr int kNumbers = 3000;
    {
        std::ofstream csv(dir.file("n.csv"));
        for (int i = 0; i < kNumbers; ++i) csv << 13800000000LL + i << "\n";
    }
    fakes::ChildProcess process = start(dir, {"send", "--csv", dir.file("n.csv"), "--text", "C"});
    ASSERT_TRUE(
        fakes::waitUntil([&] { return has(slurp(dir.file("stderr")), "sending through"); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_TRUE(process.interrupt());
    const Result stopped = finish(dir, process);
    ASSERT_NE(stopped.status, -1) << "ended by the signal: " << stopped.err;
    EXPECT_EQ(run(dir, {"queue", "resume"}).status, 0);
    const auto sent = sentTimes(dir.file("user"));
    // Nothing at all when Ctrl-C came before the packets were queued.
    if (stopped.status != 0 && sent.empty()) return;
    EXPECT_EQ(sent.size(), static_cast<std::size_t>(kNumbers)) << stopped.err;
    EXPECT_TRUE(std::all_of(sent.begin(), sent.end(), [](const auto& e) { return e.second == 1; }));
}

}  // namespace
}  // namespace smsctltest
