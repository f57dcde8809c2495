// A program that ends while a send runs: 1,000 stored packets on the embedded
// gateway with a pause of 20 ms, so the sending and log threads are busy when
// main returns with the service at namespace scope (as a user interface keeps
// it; its destructor stops the threads after the statics made later are
// gone), or, built with EXIT_DURING_SEND, when main calls std::exit(0) with
// the service as a local, whose threads then run on. The child must exit 0.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/net/CNetSendASend.h"
#include "queue/CSendQueueService.h"
#include "queue/CSmsSendLoadMag.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CUserInfo.h"
#include "tests/exit/ExitChild.h"

namespace {

const char* const kPassword = "Quenp19990812";
constexpr int kPackets = 1000;

constexpr int kHeldPacket = 3;

std::atomic<int> g_done{0};          // packets finished; set by the sending thread, read by main
std::atomic<bool> g_exiting{false};  // set by the exit hook, read by the sending thread

template <typename Done>
void waitUntil(Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

#ifdef EXIT_DURING_SEND
// Registered before main, so it runs after every static made since (the log,
// the stores, the parts of the singletons) is destroyed: it releases the
// sending thread, held in the callback of packet kHeldPacket, and waits until
// one more packet is done.
void releaseSenderAndWait() {
    if (g_done == 0) return;  // the parent, or no send
    g_exiting = true;
    waitUntil([] { return g_done > kHeldPacket; });
}
const struct HoldExit {
    HoldExit() { std::atexit(releaseSenderAndWait); }
} g_holdExit;
constexpr bool kHold = true;
#else
constexpr bool kHold = false;
#endif

// Writes the packets to SQu.dll as the send pipeline does and returns them with their ids.
std::vector<Dmg::QueueData> storedPackets(const std::string& dir) {
    std::vector<Dmg::QueueData> packets(kPackets);
    for (int n = 0; n < kPackets; ++n) {
        SMS::NET::CNetSendASend p;
        p.packetId = n;
        p.phones = {"13800138000"};
        p.commonText = "会议改到周六";
        p.getPacketT(packets[n].packetText);
        packets[n].commonMsg = 1;
        packets[n].packetId = n;
        packets[n].recipientCount = 1;
        packets[n].segmentCount = 1;
        packets[n].displayText = std::to_string(n);
    }
    auto& store = *static_cast<Dmg::CSendQueueSerialize*>(
        Dmg::CDataManager::getSingleton().getDataSerialize("sendqueuemodify"));
    std::vector<int> ids;
    store.initialize(dir + "/SQu.dll", kPassword);
    const bool written = store.writeQueue(packets, ids) == 1 && ids.size() == packets.size();
    store.close();
    if (!written) return {};
    for (int n = 0; n < kPackets; ++n) packets[n].recordId = ids[n];
    return packets;
}

// Starts the send and waits until it is under way. False when it cannot start.
bool startSend(const std::string& dir) {
    // The gateway is CNetInterfaceMag's default, the embedded service.
    SMS::CUserInfo::instance()->userDir = dir;
    if (Dmg::CDataManager::getSingleton().openUserData(dir) != 1) return false;
    SMS::CSmsSendStartInstance& settings = *SMS::CSmsSendStartInstance::Instance();
    settings.packetPauseMs = 20;
    settings.onPacketsQueued = [](std::vector<Dmg::QueueData>&) {};
    settings.onSendPrepared = [] {};
    settings.onPacketDone = [](int&, int&) {
        if (++g_done == kHeldPacket && kHold) waitUntil([] { return g_exiting.load(); });
    };
    settings.onFirstSendFailure = [](std::string&) { return 0; };
    settings.onSendAborted = [] {};
    const std::vector<Dmg::QueueData> packets = storedPackets(dir);
    if (packets.empty() || SMS::CSmsSendLoadMag::instance()->addSendQueue(packets) != 1) return false;
    waitUntil([] { return g_done >= kHeldPacket; });
    return g_done >= kHeldPacket;
}

#ifndef EXIT_DURING_SEND
CSendQueueService g_service;
#endif

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) return exittest::runChild(argv[0], [](const std::string&) { return true; });
#ifdef EXIT_DURING_SEND
    CSendQueueService service;
    if (!startSend(argv[1])) return 2;
    std::exit(0);
#else
    return startSend(argv[1]) ? 0 : 2;
#endif
}
