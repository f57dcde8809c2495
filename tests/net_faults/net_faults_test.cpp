// The send road over the network: the real pipeline, sending thread and log
// thread in a user folder of the test's own, with the library's gateway an
// HttpGateway to an smsgw process that misbehaves, is killed, or answers what
// cannot be read. Every packet reaches the history once with the outcome the
// service gave it, and the service delivers each once.
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "contracts/net/HttpGateway.h"
#include "tests/fakes/WaitUntil.h"
#include "tests/faults/SendRoad.h"
#include "tests/smsgw/SmsgwRun.h"

namespace faulttest {
namespace {

using namespace std::chrono_literals;
using SMS::NET::CNetSendResultB;
using SMS::NET::HttpGateway;
using smsgwtest::json;

// HttpGateway as the sending thread meets it, counting the codes it hands over.
class CountingGateway : public SMS::NET::IGateway {
public:
    explicit CountingGateway(HttpGateway::Options options) : http_(std::move(options)) {}
    CNetSendResultB send(const Dmg::QueueData& packet) override {
        const CNetSendResultB result = http_.send(packet);
        const std::lock_guard<std::mutex> lock(mutex_);
        ++codes_[result.code];
        return result;
    }
    SMS::NET::CNetLogResult login(const std::string& user, const std::string& password) override {
        return http_.login(user, password);
    }
    void sendFriendInfo(const SMS::NET::CNetFriendInfo& info) override {
        http_.sendFriendInfo(info);
    }
    CNetSendResultB DelTimerMsg(int group, const std::string& keys) override {
        return http_.DelTimerMsg(group, keys);
    }
    int count(int code) const {
        const std::lock_guard<std::mutex> lock(mutex_);
        const auto it = codes_.find(code);
        return it == codes_.end() ? 0 : it->second;
    }
    int total() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        int n = 0;
        for (const auto& [code, times] : codes_) n += times;
        return n;
    }

private:
    HttpGateway http_;
    // Counted by the sending thread, read by the test's, under mutex_.
    mutable std::mutex mutex_;
    std::map<int, int> codes_;
};

class NetFaults : public SendRoad {
protected:
    // One recipient a packet; each queued packet's idempotency key noted.
    NetFaults() {
        SMS::NET::CNetLogResult terms;
        terms.remainingSms = 100000000;
        terms.firstPackSize = terms.packSize = 1;
        settings.setNetConfigData(terms, SMS::NET::CNetConfigData());
        settings.packetPauseMs = 0;
        settings.onPacketsQueued = [this](Packets& packets) {
            sends.back().reported = true;
            for (const auto& p : packets)
                keys.push_back(std::to_string(p.packetId) + ":" + std::to_string(p.recordId));
            SMS::CSmsSendLoadMag::instance()->addSendQueue(packets);
        };
        EXPECT_EQ(data().openUserData(dir.path()), 1);
    }
    ~NetFaults() override { service.reset(); }

    // Starts smsgw with `args` and makes an HttpGateway to it the library's
    // gateway, logged in.
    void serve(std::vector<std::string> args, HttpGateway::Options options) {
        args.push_back("--control");
        process = std::make_unique<smsgwtest::Gateway>(serviceDir, args);
        options.baseUrl = "http://127.0.0.1:" + std::to_string(process->port());
        gateway = std::make_shared<CountingGateway>(options);
        SMS::NET::CNetInterfaceMag::instance()->setGateway(gateway);
        ASSERT_EQ(gateway->login("demo", "secret").result, 0);
    }

    bool idle() { return !service->isSendThreadActive() && !service->logThreadRunning(); }

    // How often smsgw delivered each packet.
    json deliveries() { return process->stats()["delivered"].value("demo", json::object()); }

    // Every queued packet delivered once and nothing else; every number once
    // in the history, accepted; nothing left in the queue.
    void expectEachOnceAccepted() {
        const json delivered = deliveries();
        EXPECT_EQ(delivered.size(), keys.size());
        std::string wrong;
        for (const std::string& key : keys) {
            if (delivered.value(key, 0) != 1)
                wrong += key + "=" + delivered.value(key, json(0)).dump() + " ";
        }
        EXPECT_EQ(wrong.substr(0, 200), "");
        EXPECT_TRUE(queued().empty());
        Counts accepted;
        const Counts seen = stored(&accepted);
        wrong.clear();
        for (const Send& s : sends) {
            for (const std::string& phone : s.phones) {
                const auto it = seen.find(phone);
                const int times = it == seen.end() ? 0 : it->second;
                if (times != 1 || accepted[phone] != 1) {
                    wrong += phone + "x" + std::to_string(times) + "/" +
                             std::to_string(accepted[phone]) + " ";
                }
            }
        }
        EXPECT_EQ(wrong.substr(0, 200), "");
    }

    fakes::TempDir serviceDir;  // smsgw's state file and output
    std::unique_ptr<smsgwtest::Gateway> process;
    std::shared_ptr<CountingGateway> gateway;
    std::vector<std::string> keys;  // "<packetId>:<recordId>" of every queued packet
};

// A send of many one-recipient packets, pause 0, while smsgw drops a tenth
// of the connections after taking the packet and answers 503 to a twentieth.
// The thread sends one packet at a time, in order, so a seed gives the same
// misbehaviour every run (here every attempt at one packet fails, one of
// them dropped after the service took it: that outcome is unknown, and the
// thread sends the packet again).
TEST_F(NetFaults, ManyPacketsThroughDroppedConnectionsAnd503sArriveOnce) {
    HttpGateway::Options options;
    options.backoffBase = 1ms, options.backoffCap = 4ms, options.jitterSeed = 15;
    serve({"--drop", "0.1", "--unavailable", "0.05", "--seed", "15"}, options);
    const long long before = process->stats()["totals"].value("requests", 0LL);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(send(NET_FAULTS_PACKETS, false), 1);
    ASSERT_TRUE(fakes::waitUntil([&] { return idle(); }, 300s));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const json totals = process->stats()["totals"];
    ASSERT_EQ(keys.size(), static_cast<std::size_t>(NET_FAULTS_PACKETS));
    expectEachOnceAccepted();
    // A stats request counts itself: the attempts are the requests between the two.
    const long long attempts = totals.value("requests", 0LL) - before - 1;
    std::printf(
        "%d packets in %.1f s: %lld attempts (%lld retries; %s); the sending thread got "
        "%d answers, %d of them outcome unknown, %d unavailable\n",
        NET_FAULTS_PACKETS, seconds, attempts, attempts - NET_FAULTS_PACKETS, totals.dump().c_str(),
        gateway->total(), gateway->count(CNetSendResultB::kOutcomeUnknown),
        gateway->count(CNetSendResultB::kUnavailable));
}

// smsgw killed with SIGKILL at a seeded point of a send and started again on
// its port and state file: the attempts in flight are retried until it is
// back, and each packet is delivered and recorded once.
TEST_F(NetFaults, ServiceKilledAndRestartedMidSendLosesAndRepeatsNothing) {
    HttpGateway::Options options;
    options.maxAttempts = 8;  // waits of at least 0.8 s in all, to outlast the restart
    options.backoffBase = 30ms, options.backoffCap = 400ms, options.jitterSeed = 16;
    serve({"--compact-every", "50"}, options);
    constexpr int kPackets = 300;
    std::mt19937 random(16);
    const int killAfter = std::uniform_int_distribution<int>(20, kPackets - 50)(random);
    ASSERT_EQ(send(kPackets, false), 1);
    ASSERT_TRUE(fakes::waitUntil([&] {
        const json delivered = deliveries();
        int times = 0;
        for (const auto& perKey : delivered) times += perKey.get<int>();
        return times >= killAfter;
    }));
    const int port = process->port();
    process->kill();
    ASSERT_TRUE(process->start(port)) << process->stderrText();
    ASSERT_TRUE(fakes::waitUntil([&] { return idle(); }, 120s));
    expectEachOnceAccepted();
}

// Every answer cut short after smsgw took the packet: the sending thread
// keeps sending the first packet again, stop() ends the run with every
// packet waiting and none marked failed; the next run, the answers readable
// again, finishes them, each delivered once.
TEST_F(NetFaults, UnreadableAnswersKeepPacketsWaitingUntilTheNextRun) {
    HttpGateway::Options options;
    options.maxAttempts = 2, options.backoffBase = 1ms, options.backoffCap = 1ms;
    serve({}, options);
    ASSERT_EQ(process->post("/control", {{"faults", {{"truncate", 1}}}}).body.value("code", -1), 0);
    ASSERT_EQ(send(3, false), 1);
    ASSERT_TRUE(fakes::waitUntil([&] { return gateway->total() >= 2; }));
    service->stop();
    ASSERT_TRUE(fakes::waitUntil([&] { return idle(); }));
    EXPECT_EQ(gateway->total(), gateway->count(CNetSendResultB::kOutcomeUnknown));
    EXPECT_EQ(deliveries().size(), 1u);
    Packets left = queued();
    EXPECT_EQ(left.size(), 3u);
    for (const auto& p : left) EXPECT_EQ(p.state, Dmg::QueueData::kWaiting) << p.phoneList;
    // Each once, in the queue: none in the history.
    for (const auto& [phone, times] : stored()) EXPECT_EQ(times, 1) << phone;

    // The next run takes the waiting packets from SQu.dll.
    SMS::CSmsSendLoadMag::instance()->ClearAll();
    ASSERT_EQ(process->post("/control", {{"faults", {{"truncate", 0}}}}).body.value("code", -1), 0);
    SMS::CSmsSendLoadMag::instance()->addSendQueue(left);
    ASSERT_TRUE(fakes::waitUntil([&] { return idle() && queued().empty(); }));
    expectEachOnceAccepted();
}

}  // namespace
}  // namespace faulttest
