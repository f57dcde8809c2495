// Packets per second through the sending thread (per-packet open, update,
// close of SQu.dll) into the embedded gateway, against a baseline of the same
// store updates without the thread and gateway; and the log thread's drain.
// Also how long stop() takes while the sender sits in a long packet pause,
// to set against the time one packet takes to send.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/net/CEmbeddedGateway.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "contracts/net/CNetSendASend.h"
#include "queue/CSendQueueService.h"
#include "queue/CSmsSendLoadMag.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CUserInfo.h"
#include "bench/ThroughThreads.h"

namespace {

struct Env {
    Env() {
        dir = std::filesystem::temp_directory_path() / ("bench-queue-send-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        SMS::CUserInfo::instance()->userDir = dir.string();
        Dmg::CDataManager::getSingleton().openUserData(dir.string());
        auto& s = *SMS::CSmsSendStartInstance::Instance();
        s.packetPauseMs = 0;
        s.onPacketDone = [this](int&, int&) { ++done; };
        s.onFirstSendFailure = [](std::string&) { return 0; };
        s.onSendAborted = [] {};
        SMS::NET::CNetInterfaceMag::instance()->setGateway(std::make_shared<SMS::NET::CEmbeddedGateway>());
    }
    std::string squ() const { return (dir / "SQu.dll").string(); }
    ~Env() {
        service.stop();
        Dmg::CDataManager::getSingleton().closeUserData();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::filesystem::path dir;
    CSendQueueService service;
    std::atomic<int> done{0};
};

Env& env() {
    static Env e;
    return e;
}

// Baseline: the store work of each packet alone, on this thread.
void BM_StoreUpdatesOnly(benchmark::State& state) {
    auto& e = env();
    auto& q = *static_cast<Dmg::CSendQueueSerialize*>(
        Dmg::CDataManager::getSingleton().getDataSerialize("sendqueuemodifyW"));
    for (auto _ : state) {
        state.PauseTiming();
        const auto packets = bench::storeQueued(e.squ(), static_cast<int>(state.range(0)));
        state.ResumeTiming();
        for (const auto& p : packets) {
            q.initialize(e.squ(), bench::kQueuePassword);
            q.modifyStatus(p.recordId, 1);
            q.close();
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Sending thread and log thread together, until both ended by themselves.
void BM_SendThroughThreads(benchmark::State& state) {
    auto& e = env();
    bench::sendThroughThreads(state, e.service, e.squ());
}

// stop() while the sender waits out a 5 s pause after its first packet.
void BM_StopDuringPause(benchmark::State& state) {
    auto& e = env();
    auto& settings = *SMS::CSmsSendStartInstance::Instance();
    for (auto _ : state) {
        settings.packetPauseMs = 5000;
        const int before = e.done;
        auto packets = bench::storeQueued(e.squ(), 2);
        for (auto& p : packets) p.timerFlag = 1;  // no summary record, whose pause would come first
        SMS::CSmsSendLoadMag::instance()->addSendQueue(packets);
        while (e.done == before) std::this_thread::sleep_for(std::chrono::microseconds(100));
        const auto t0 = std::chrono::steady_clock::now();
        e.service.stop();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        SMS::CSmsSendLoadMag::instance()->ClearAll();
    }
    settings.packetPauseMs = 0;
}

}  // namespace

BENCHMARK(BM_StopDuringPause)->Iterations(20)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StoreUpdatesOnly)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SendThroughThreads)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
