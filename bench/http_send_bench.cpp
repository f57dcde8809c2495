// Packets per second through the sending thread (pause 0, real SQu.dll) to an
// smsgw process on loopback that behaves, against the embedded gateway in the
// same run; and what one retry costs HttpGateway: a packet whose first
// attempt is answered 503 (no backoff wait) against one accepted at once.
#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/net/CEmbeddedGateway.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "contracts/net/HttpGateway.h"
#include "queue/CSendQueueService.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CUserInfo.h"
#include "tests/fakes/TempDir.h"
#include "tests/smsgw/SmsgwRun.h"
#include "bench/ThroughThreads.h"

namespace {

using SMS::NET::HttpGateway;

// One user folder, queue service and smsgw for the whole program.
struct Env {
    Env() : smsgw(dir, {"--control", "--term", "remainingSms=100000000"}, false) {
        if (!smsgw.start()) throw std::runtime_error("smsgw did not start: " + smsgw.stderrText());
        HttpGateway::Options o;
        o.baseUrl = "http://127.0.0.1:" + std::to_string(smsgw.port());
        o.backoffBase = std::chrono::milliseconds(0);
        // Between two attempts: what the benchmark asks for, no wait.
        o.sleep = [this](std::chrono::milliseconds) {
            if (between) between();
        };
        http = std::make_shared<HttpGateway>(o);
        if (http->login("demo", "secret").result != 0) throw std::runtime_error("login refused");
        SMS::CUserInfo::instance()->userDir = dir.path();
        Dmg::CDataManager::getSingleton().openUserData(dir.path());
        auto& s = *SMS::CSmsSendStartInstance::Instance();
        s.packetPauseMs = 0;
        s.onPacketDone = [](int&, int&) {};
        s.onFirstSendFailure = [](std::string&) { return 0; };
        s.onSendAborted = [] {};
    }
    ~Env() {
        service.stop();
        SMS::NET::CNetInterfaceMag::instance()->setGateway(nullptr);
        Dmg::CDataManager::getSingleton().closeUserData();
    }
    void setUnavailable(double fraction) {
        smsgw.post("/control", {{"faults", {{"unavailable", fraction}}}});
    }

    fakes::TempDir dir;
    smsgwtest::Gateway smsgw;
    std::shared_ptr<HttpGateway> http;
    std::function<void()> between;  // set and called on the benchmark's thread only
    CSendQueueService service;
    int nextRecordId = 1;
};

Env& env() {
    static Env e;
    return e;
}

// Stored packets handed to the sending thread, until it and the log thread
// have ended by themselves.
void throughThreads(benchmark::State& state, std::shared_ptr<SMS::NET::IGateway> gateway) {
    auto& e = env();
    SMS::NET::CNetInterfaceMag::instance()->setGateway(std::move(gateway));
    bench::sendThroughThreads(state, e.service, e.dir.file("SQu.dll"));
}

void BM_EmbeddedThroughThreads(benchmark::State& state) {
    throughThreads(state, std::make_shared<SMS::NET::CEmbeddedGateway>());
}

void BM_HttpThroughThreads(benchmark::State& state) { throughThreads(state, env().http); }

// A new packet sent by HttpGateway alone; its time, less what `between`
// spent between the attempts.
std::chrono::duration<double, std::micro> sendOne(Env& e, int packetId, bool& ok) {
    using Clock = std::chrono::steady_clock;
    Clock::duration untimed{};
    e.between = [&] {
        const auto t = Clock::now();
        e.setUnavailable(0);
        untimed += Clock::now() - t;
    };
    Dmg::QueueData p = bench::queuedPacket(packetId);
    p.recordId = e.nextRecordId++;
    const auto start = Clock::now();
    ok = e.http->send(p).accepted() && ok;
    const auto took = Clock::now() - start - untimed;
    e.between = nullptr;
    return took;
}

// In turns, so that both meet the same load on the machine: a packet accepted
// at once, and one whose first attempt is answered 503 (no backoff wait; the
// service behaves again before the second). Counters in microseconds a packet.
void BM_RetryCost(benchmark::State& state) {
    auto& e = env();
    double atOnce = 0, retried = 0;
    bool ok = true;
    for (auto _ : state) {
        const auto first = sendOne(e, 1, ok);
        e.setUnavailable(1);
        const auto second = sendOne(e, 2, ok);
        atOnce += first.count(), retried += second.count();
        state.SetIterationTime((first + second).count() / 1e6);
    }
    if (!ok) state.SkipWithError("a packet was not accepted");
    const double n = static_cast<double>(state.iterations());
    state.counters["at_once_us"] = atOnce / n;
    state.counters["retried_us"] = retried / n;
    state.counters["retry_us"] = (retried - atOnce) / n;
    state.counters["retried_over_at_once"] = retried / atOnce;
}

}  // namespace

BENCHMARK(BM_EmbeddedThroughThreads)->Arg(1000)->Iterations(1)->Repetitions(3)
    ->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HttpThroughThreads)->Arg(1000)->Iterations(1)->Repetitions(3)
    ->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RetryCost)->Repetitions(3)->ReportAggregatesOnly(true)->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
