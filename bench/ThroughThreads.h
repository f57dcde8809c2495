// What the benchmarks of the sending thread share: packets stored in SQu.dll
// as the pipeline leaves them, and the loop that hands them to the threads
// and waits until the sending and log threads have ended by themselves.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/net/CNetSendASend.h"
#include "queue/CSendQueueService.h"
#include "queue/CSmsSendLoadMag.h"

namespace bench {

inline const char* const kQueuePassword = "Quenp19990812";

// A packet of one text to one number.
inline Dmg::QueueData queuedPacket(int packetId) {
    SMS::NET::CNetSendASend p;
    p.packetId = packetId;
    p.phones = {"13800138000"};
    p.commonText = "hello";
    Dmg::QueueData q;
    p.getPacketT(q.packetText);
    q.packetId = packetId;
    q.commonMsg = 1;
    q.displayText = "hello";
    return q;
}

// `count` packets written to the queue file `squPath`, with their record ids.
inline std::vector<Dmg::QueueData> storeQueued(const std::string& squPath, int count) {
    std::vector<Dmg::QueueData> packets;
    for (int n = 0; n < count; ++n) packets.push_back(queuedPacket(n));
    auto& q = *static_cast<Dmg::CSendQueueSerialize*>(
        Dmg::CDataManager::getSingleton().getDataSerialize("sendqueuemodify"));
    std::vector<int> ids;
    q.initialize(squPath, kQueuePassword);
    q.writeQueue(packets, ids);
    q.close();
    for (int n = 0; n < count; ++n) packets[n].recordId = ids[n];
    return packets;
}

inline void waitIdle(CSendQueueService& s) {
    while (s.isSendThreadActive() || s.logThreadRunning()) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// state.range(0) stored packets a round, handed to the sending thread; only
// the hand-over and the threads' work are timed.
inline void sendThroughThreads(benchmark::State& state, CSendQueueService& service,
                               const std::string& squPath) {
    for (auto _ : state) {
        state.PauseTiming();
        const auto packets = storeQueued(squPath, static_cast<int>(state.range(0)));
        state.ResumeTiming();
        SMS::CSmsSendLoadMag::instance()->addSendQueue(packets);
        waitIdle(service);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace bench
