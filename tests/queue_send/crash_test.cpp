// A sending process killed at any moment loses and duplicates nothing: after
// a fresh process has moved what is finished, every packet is once in the
// queue or once in the history.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "contracts/net/CNetSendASend.h"
#include "tests/queue_send/QueueFakes.h"

namespace queuetest {
namespace {

constexpr int kRounds = 30;
constexpr int kPackets = 500;

Dmg::CDataManager& data() { return Dmg::CDataManager::getSingleton(); }

// Runs `body` in a child process with the user data of `dir` open; the
// child's exit status is its result.
template <typename Body>
pid_t spawn(const std::string& dir, Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(data().openUserData(dir) == 1 && body() ? 0 : 1);
    return pid;
}

bool succeeded(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool writePackets(const std::string& dir, int round) {
    Packets packets(kPackets);
    SMS::NET::CNetSendASend text;
    text.phones = {"13800138000"};
    text.commonText = "crash";
    for (int n = 0; n < kPackets; ++n) {
        Dmg::QueueData& packet = packets[static_cast<std::size_t>(n)];
        text.packetId = n;
        text.getPacketT(packet.packetText);
        packet.commonMsg = 1;
        packet.recipientCount = packet.segmentCount = 1;
        packet.phoneList = "13800138000,";
        packet.displayText = std::to_string(round * kPackets + n);  // the packet's label
    }
    std::vector<int> ids;
    return withQueue(dir, [&](auto& q) { return q.writeQueue(packets, ids) == 1; });
}

// Sends everything waiting in the queue until killed.
[[noreturn]] void sendUntilKilled(const std::string& dir) {
    Packets waiting;
    withQueue(dir, [&](auto& q) { return q.loadAllQueue(waiting), true; });
    addSendQueue(waiting);
    for (;;) ::pause();
}

// Lets a fresh log thread move every finished packet, then checks that each
// label written so far is once in the queue or the history.
bool drainAndCheck(const std::string& dir, CSendQueueService& service, int labels) {
    SMS::CSmsSendLoadMag::instance()->setFinished();  // no sender: the log thread ends when done
    const bool moved = service.WriteSendLog() == 1 && waitIdle(service);
    service.stop();  // joins the log thread before the child exits
    if (!moved) return false;
    Packets queued;
    withQueue(dir, [&](auto& q) { return q.loadAllQueue(queued), true; });
    std::map<std::string, int> seen;
    for (const auto& p : queued) ++seen[p.displayText];
    for (const auto& h : allHistory()) ++seen[h.firstText];
    return static_cast<int>(seen.size()) == labels &&
           std::all_of(seen.begin(), seen.end(), [](const auto& s) { return s.second == 1; });
}

// The children inherit the fixture's callbacks and idle service: the parent
// starts no thread.
class SendCrash : public QueueBase {};

TEST_F(SendCrash, KilledSenderLosesAndDuplicatesNothing) {
    const std::string d = dir.path();
    // The parent derives the file keys once; the children inherit them.
    ASSERT_EQ(data().openUserData(d), 1);
    data().closeUserData();
    std::mt19937 rng(20261206);
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_TRUE(succeeded(spawn(d, [&] { return writePackets(d, round); })));
        const pid_t sender = spawn(d, [&] { return sendUntilKilled(d), true; });
        ::usleep(static_cast<useconds_t>(rng() % 150000));
        ::kill(sender, SIGKILL);
        ::waitpid(sender, nullptr, 0);
        const int labels = (round + 1) * kPackets;
        ASSERT_TRUE(succeeded(spawn(d, [&] { return drainAndCheck(d, *service, labels); })));
    }
}

}  // namespace
}  // namespace queuetest
