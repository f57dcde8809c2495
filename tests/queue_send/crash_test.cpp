// A sending process killed at any moment loses and duplicates nothing: after
// a fresh process has moved what is finished, every packet is once in the
// queue or once in the history.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CHistoryLogSerialize.h"
#include "contracts/dmg/CLogSendQueueSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/net/CNetSendASend.h"
#include "queue/CSendQueueService.h"
#include "queue/CSmsSendLoadMag.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CUserInfo.h"
#include "tests/fakes/TempDir.h"

namespace {

const char* const kPassword = "Quenp19990812";
constexpr int kRounds = 30;
constexpr int kPackets = 500;

Dmg::CDataManager& data() { return Dmg::CDataManager::getSingleton(); }

template <typename Store>
Store& store(const char* name) {
    return *static_cast<Store*>(data().getDataSerialize(name));
}

// Runs `body` in a child process; its result is the child's exit status.
template <typename Body>
bool inChild(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body() ? 0 : 1);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool writePackets(const std::string& dir, int round) {
    std::vector<Dmg::QueueData> packets;
    for (int n = 0; n < kPackets; ++n) {
        SMS::NET::CNetSendASend text;
        text.packetId = n;
        text.phones = {"13800138000"};
        text.commonText = "crash";
        Dmg::QueueData packet;
        text.getPacketT(packet.packetText);
        packet.commonMsg = 1;
        packet.recipientCount = packet.segmentCount = 1;
        packet.phoneList = "13800138000,";
        packet.displayText = std::to_string(round * kPackets + n);
        packets.push_back(packet);
    }
    auto& queue = store<Dmg::CSendQueueSerialize>("sendqueuemodify");
    std::vector<int> ids;
    const bool ok = queue.initialize(dir + "/SQu.dll", kPassword) == 1 &&
                    queue.writeQueue(packets, ids) == 1;
    queue.close();
    return ok;
}

// Sends everything waiting in the queue until killed.
[[noreturn]] void sendUntilKilled(const std::string& dir) {
    SMS::CUserInfo::instance()->userDir = dir;
    auto* settings = SMS::CSmsSendStartInstance::Instance();
    settings->packetPauseMs = 0;
    settings->onPacketDone = [](int&, int&) {};
    settings->onFirstSendFailure = [](std::string&) { return 0; };
    settings->onSendAborted = [] {};
    std::vector<Dmg::QueueData> waiting;
    auto& queue = store<Dmg::CSendQueueSerialize>("sendqueuemodify");
    queue.initialize(dir + "/SQu.dll", kPassword);
    queue.loadAllQueue(waiting);
    queue.close();
    CSendQueueService service;
    SMS::CSmsSendLoadMag::instance()->addSendQueue(waiting);
    for (;;) ::pause();
}

// Moves every finished packet, then checks that each label written so far is
// once in the queue or the history.
bool drainAndCheck(const std::string& dir, int labels) {
    auto& mover = store<Dmg::CLogSendQueueSerialize>("logsendqueue");
    for (bool moved = true; moved;) {
        std::vector<Dmg::QueueData> records;
        std::vector<int> ids;
        if (mover.initializeHistroyDB(dir + "/HLog.dll", kPassword) != 1 ||
            mover.initializeSendQueueDB(dir + "/SQu.dll", kPassword) != 1 ||
            mover.getAllSendData(records, ids) != 1 || mover.writeLog(records) != 1 ||
            mover.deleteSendData(ids) != 1) {
            return false;
        }
        mover.closeSendQueueDB();
        mover.closeHistoryDB();
        moved = !ids.empty();
    }
    std::vector<Dmg::QueueData> queued;
    std::vector<Dmg::CHistoryMsg> history;
    auto& queue = store<Dmg::CSendQueueSerialize>("sendqueuemodify");
    queue.initialize(dir + "/SQu.dll", kPassword);
    queue.loadAllQueue(queued);
    queue.close();
    store<Dmg::CHistoryLogSerialize>("historylog").getAllLog(history);
    std::map<std::string, int> seen;
    for (const auto& p : queued) ++seen[p.displayText];
    for (const auto& h : history) ++seen[h.firstText];
    if (static_cast<int>(seen.size()) != labels) return false;
    for (const auto& [label, count] : seen) {
        if (count != 1) return false;
    }
    return true;
}

TEST(SendCrash, KilledSenderLosesAndDuplicatesNothing) {
    fakes::TempDir dir;
    // The parent derives the file keys once; the children inherit them.
    ASSERT_EQ(data().openUserData(dir.path()), 1);
    data().closeUserData();
    std::mt19937 rng(20261206);
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const auto inUserData = [&](auto body) {
            return inChild([&] { return data().openUserData(dir.path()) == 1 && body(); });
        };
        ASSERT_TRUE(inUserData([&] { return writePackets(dir.path(), round); }));
        const pid_t sender = ::fork();
        if (sender == 0) {
            if (data().openUserData(dir.path()) != 1) ::_exit(1);
            sendUntilKilled(dir.path());
        }
        ::usleep(static_cast<useconds_t>(rng() % 150000));
        ::kill(sender, SIGKILL);
        ::waitpid(sender, nullptr, 0);
        ASSERT_TRUE(
            inUserData([&] { return drainAndCheck(dir.path(), (round + 1) * kPackets); }));
    }
}

}  // namespace
