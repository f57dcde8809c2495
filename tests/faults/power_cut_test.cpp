// Power cuts while real sends run: the send pipeline, the sending and log
// threads, the log move and the program's close work on files whose unsynced
// writes a cut drops (or tears), and the power fails at the n-th write or
// sync of a run, n drawn from a seeded generator. After each cut the program
// starts again on what reached the disk, sends what still waits with a fresh
// gateway and moves everything into the history. Then every packet whose
// queue write was reported is there exactly once, no send is there in part,
// and the three files pass the integrity check.
#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "components/data/engine/Connection.h"
#include "components/data/engine/Statement.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/net/CEmbeddedGateway.h"
#include "tests/fakes/WaitUntil.h"
#include "tests/faults/SendRoad.h"

namespace faulttest {
namespace {

// ThreadSanitizer makes every run several times slower, as does Wine (the
// Windows build's tests); the native build makes the full number.
#ifdef __SANITIZE_THREAD__
constexpr int kCuts = 40;
#elif defined(_WIN32)
constexpr int kCuts = 100;
#else
constexpr int kCuts = 600;
#endif
constexpr int kSendsPerRun = 3;
const char* const kFiles[] = {"Main.dll", "SQu.dll", "HLog.dll"};

// Packets the gateways accepted, by phone list (each number is in one packet
// only), over every gateway of the test. Set by the sending thread, read by
// the test's thread; under mutex.
struct Acceptances {
    std::mutex mutex;
    std::map<std::string, int> byPacket;

    int twice() {
        const std::lock_guard<std::mutex> lock(mutex);
        return static_cast<int>(std::count_if(byPacket.begin(), byPacket.end(),
                                              [](const auto& p) { return p.second > 1; }));
    }
};

// A fresh embedded gateway that takes nothing while the power is off: the
// program has stopped then, it only has not noticed yet.
class PoweredGateway : public SMS::NET::CEmbeddedGateway {
public:
    explicit PoweredGateway(Acceptances& accepted) : accepted_(accepted) {}
    SMS::NET::CNetSendResultB send(const Dmg::QueueData& packet) override {
        if (vfs().powerIsOff()) {
            SMS::NET::CNetSendResultB off;
            off.code = SMS::NET::CNetSendResultB::kUnavailable;
            off.errorText = "power off";
            return off;
        }
        const auto result = CEmbeddedGateway::send(packet);
        if (result.accepted()) {
            const std::lock_guard<std::mutex> lock(accepted_.mutex);
            ++accepted_.byPacket[packet.phoneList];
        }
        return result;
    }

private:
    Acceptances& accepted_;
};

// Numbers of reported sends missing from the stores, numbers there twice,
// numbers of unreported sends there in part, numbers of accepted timed
// packets without exactly one timed message, files that fail the check.
struct Damage {
    int lost = 0, duplicated = 0, partial = 0, timerMsgs = 0;
    std::string damaged;
};

class PowerCut : public SendRoad {
protected:
    void useFreshGateway() {
        SMS::NET::CNetInterfaceMag::instance()->setGateway(
            std::make_shared<PoweredGateway>(accepted));
    }

    bool off() const { return vfs().powerIsOff(); }

    // One run of the program: opens the user data, queues sends while the
    // threads send and move, moves the rest, closes. Ends early once the
    // power is off.
    void runProgram(std::mt19937& rng) {
        useFreshGateway();
        if (data().openUserData(dir.path()) != 1) return;
        for (int s = 0; s < kSendsPerRun && !off(); ++s) {
            send(3 + static_cast<int>(rng() % 8), rng() % 4 == 0);
        }
        const auto senderDone = [&] { return off() || service->isSendThreadActive() == 0; };
        ASSERT_TRUE(fakes::waitUntil(senderDone, std::chrono::seconds(60)));
        if (off()) return;
        // The log thread would wait up to 300 ms for its next pass.
        service->stop();
        service->WriteSendLog();
        const auto moved = [&] { return off() || !service->logThreadRunning(); };
        ASSERT_TRUE(fakes::waitUntil(moved, std::chrono::seconds(60)));
        if (!off()) data().closeUserData();
    }

    // The cut ends the process: its threads, its memory and every file it
    // held open go. Then the power comes back.
    void endProcess() {
        service->stop();
        auto& queue = *SMS::CSmsSendLoadMag::instance();
        queue.ClearAll();
        for (const int id : queue.unstoredIds()) queue.outcomeStored(id);
        data().closeUserData();
        ASSERT_TRUE(vfs().powerOn()) << "a file stays open after the program ended";
    }

    // The next start: what still waits is sent with a fresh gateway, then
    // everything finished is moved into the history.
    void restart() {
        useFreshGateway();
        ASSERT_EQ(data().openUserData(dir.path()), 1);
        Packets waiting = queued();
        waiting.erase(std::remove_if(waiting.begin(), waiting.end(),
                                     [](const auto& p) { return p.state != p.kWaiting; }),
                      waiting.end());
        if (!waiting.empty()) {
            SMS::CSmsSendLoadMag::instance()->addSendQueue(waiting);
            ASSERT_TRUE(fakes::waitUntil([&] { return service->isSendThreadActive() == 0; },
                                         std::chrono::seconds(60)));
        }
        service->stop();
        ASSERT_EQ(service->WriteSendLog(), 1);
        ASSERT_TRUE(fakes::waitUntil([&] { return !service->logThreadRunning(); },
                                     std::chrono::seconds(60)));
    }

    // The sends as the queue and the history hold them now, and the files
    // that fail the integrity check.
    Damage check() {
        Damage now;
        EXPECT_TRUE(queued().empty()) << "packets left in the queue";
        Counts accepted, timed;
        const Counts seen = stored(&accepted);
        std::vector<Dmg::CTimerMsg> timerMsgs;
        EXPECT_EQ(store<Dmg::CLocalDataSerialize>("database").getAllTimerMsg(timerMsgs), 1);
        for (const auto& m : timerMsgs) {
            for (const auto& phone : split(m.phoneList)) ++timed[phone];
        }
        for (const auto& send : sends) {
            int present = 0;
            for (const auto& phone : send.phones) {
                const auto it = seen.find(phone);
                const int n = it == seen.end() ? 0 : it->second;
                present += n > 0 ? 1 : 0;
                now.lost += n == 0 && send.reported ? 1 : 0;
                now.duplicated += n > 1 ? 1 : 0;
                if (send.timed) now.timerMsgs += timed[phone] != accepted[phone] ? 1 : 0;
            }
            const bool partial = present != 0 && present != static_cast<int>(send.phones.size());
            now.partial += partial && !send.reported ? 1 : 0;
        }
        for (const char* file : kFiles) {
            const auto c = Dmg::engine::Connection::open(dir.file(file), kPassword);
            Dmg::engine::Statement s(c ? c->db() : nullptr, "PRAGMA integrity_check");
            const bool intact =
                c && s.step() == Dmg::engine::Statement::Step::Row && s.bytes(0) == "ok";
            if (!intact) now.damaged += std::string(file) + " ";
        }
        return now;
    }

    Acceptances accepted;
};

TEST_F(PowerCut, ReportedPacketsSurviveAndFilesStayIntact) {
    std::mt19937 rng(20261207);
    // A first run creates the files; a second, held in memory until synced,
    // counts the writes and syncs of a run.
    runProgram(rng);
    vfs().setBuffering(true);
    vfs().resetCounts();
    runProgram(rng);
    const faults::Counts calls = vfs().counts();
    const int writes = calls[static_cast<std::size_t>(faults::Kind::Write)];
    const int syncs = calls[static_cast<std::size_t>(faults::Kind::Sync)];
    ASSERT_GT(writes, 0);
    ASSERT_GT(syncs, 0);
    Damage damage;
    for (int run = 0; run < kCuts; ++run) {
        const bool write = rng() % 2 == 0;
        const faults::Kind kind = write ? faults::Kind::Write : faults::Kind::Sync;
        const int n = 1 + static_cast<int>(rng() % (write ? writes : syncs));
        const bool tear = rng() % 2 == 0;
        SCOPED_TRACE("run " + std::to_string(run) + (write ? ": write " : ": sync ") +
                     std::to_string(n) + (tear ? ", torn" : ", clean"));
        const int acceptedTwice = accepted.twice();
        vfs().arm({kind, n, 0, false, true, tear});
        runProgram(rng);
        if (!off()) vfs().powerCut(tear);  // the run made fewer calls: the power fails after it
        vfs().disarm();
        endProcess();
        restart();
        // What is lost or doubled stays so: each run adds its own.
        const Damage now = check();
        EXPECT_EQ(now.lost, damage.lost) << "reported numbers lost";
        EXPECT_EQ(now.duplicated, damage.duplicated) << "numbers twice in the stores";
        EXPECT_EQ(now.partial, damage.partial) << "numbers of a send there in part";
        EXPECT_EQ(now.timerMsgs, damage.timerMsgs) << "timed messages missing or doubled";
        EXPECT_EQ(now.damaged, "") << "damaged files";
        // One packet at a time is between its acceptance and its outcome on
        // disk: the one sent when the power failed.
        EXPECT_LE(accepted.twice() - acceptedTwice, 1) << "outcomes lost with the power";
        damage = now;
        if (!now.damaged.empty() || HasFatalFailure()) break;
    }
}

}  // namespace
}  // namespace faulttest
