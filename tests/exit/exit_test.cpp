// Programs that end while destructors, worker threads or a send still use the
// log and the components. `exit_test <mode>` runs `exit_test <mode> <folder>`
// in a temporary folder and passes when it exits with status 0. Modes:
//   statics      a namespace-scope object uses the components in its
//                destructor, and its log line reaches the file;
//   send_return  main returns during a send of 1,000 packets 20 ms apart, the
//                service at namespace scope, as a user interface keeps it;
//   send_exit    std::exit(0) during that send, the service a local whose
//                threads run on past the destruction of statics.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "contracts/base/CLog.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/net/CNetSendASend.h"
#include "contracts/platform/CodePage.h"
#include "contracts/platform/NamedEvent.h"
#include "queue/CSendQueueService.h"
#include "queue/CSmsSendLoadMag.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CUserInfo.h"
#include "tests/fakes/ChildProcess.h"
#include "tests/fakes/TempDir.h"
#include "tests/fakes/WaitUntil.h"

namespace {

enum class Mode { Statics, Return, Exit } g_mode;  // set by main before any thread starts
constexpr int kPackets = 1000, kHeldPacket = 3;
std::atomic<int> g_done{0};          // packets finished; set by the sending thread, read by main
std::atomic<bool> g_exiting{false};  // set by the exit hook, read by the sending thread

void writeLog(const std::string& text) { Base::CLog::getSingleton().writeMessage(text, 1); }

bool convertsBack() {
    std::string utf8, gbk;
    return Platform::gbkToUtf8("再见", utf8) && Platform::utf8ToGbk(utf8, gbk) && gbk == "再见";
}

// Built before main, so destroyed after anything main makes, the log
// included: the destructor opens the event that main opened again by name,
// converts text again and logs.
struct UsesComponentsAtExit {
    std::unique_ptr<Platform::NamedEvent> event;
    ~UsesComponentsAtExit() {
        if (!event) return;
        Platform::NamedEvent("exit-test-event", false, false).set();
        const bool shared = event->wait(0) == Platform::NamedEvent::WaitResult::Signalled;
        event.reset();
        writeLog(shared && convertsBack() ? "destructor line" : "event or conversion failed");
    }
} g_user;
std::optional<CSendQueueService> g_service;

// Registered before main, so it runs after the statics made since are gone:
// releases the sending thread and waits until it has finished one more packet.
const int g_holdExit = std::atexit([] {
    if (g_mode != Mode::Exit || g_done == 0) return;
    g_exiting = true;
    fakes::waitUntil([] { return g_done > kHeldPacket; });
});

// Stores the packets in SQu.dll and sends them on the embedded gateway; true
// once the send is under way.
bool startSend(const std::string& dir) {
    SMS::CUserInfo::instance()->userDir = dir;
    if (Dmg::CDataManager::getSingleton().openUserData(dir) != 1) return false;
    SMS::CSmsSendStartInstance& settings = *SMS::CSmsSendStartInstance::Instance();
    settings.packetPauseMs = 20;
    settings.onPacketDone = [](int&, int&) {
        if (++g_done == kHeldPacket && g_mode == Mode::Exit)
            fakes::waitUntil([] { return g_exiting.load(); });
    };
    settings.onFirstSendFailure = [](std::string&) { return 0; };
    settings.onSendAborted = [] {};
    std::vector<Dmg::QueueData> packets(kPackets);
    for (int n = 0; n < kPackets; ++n) {
        SMS::NET::CNetSendASend p;
        p.packetId = packets[n].packetId = n;
        p.phones = {"13800138000"};
        p.commonText = "会议改到周六";
        p.getPacketT(packets[n].packetText);
        packets[n].commonMsg = packets[n].recipientCount = packets[n].segmentCount = 1;
    }
    Dmg::CSendQueueSerialize store;
    std::vector<int> ids;
    const bool stored = store.initialize(dir + "/SQu.dll", "Quenp19990812") == 1 &&
                        store.writeQueue(packets, ids) == 1 && ids.size() == packets.size();
    store.close();
    for (int n = 0; stored && n < kPackets; ++n) packets[n].recordId = ids[n];
    if (!stored || SMS::CSmsSendLoadMag::instance()->addSendQueue(packets) != 1) return false;
    fakes::waitUntil([] { return g_done >= kHeldPacket; });
    return g_done >= kHeldPacket;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Parent: runs the child in a folder of its own, removed afterwards.
int runChild(const std::string& self, const std::string& mode) {
    const fakes::TempDir dir;
    fakes::ChildProcess child;
    const bool started = child.start({self, mode, dir.path()}, {dir.file("stdout")}, {dir.file("stderr")});
    const int status = started ? child.wait() : fakes::ChildProcess::kNoExit;
    std::fputs((slurp(dir.file("stdout")) + slurp(dir.file("stderr"))).c_str(), stdout);
    if (status != 0) {
        std::printf("child ended with status %d\n", status);
        return 1;
    }
    const std::string log = slurp(dir.file("exit.log"));
    if (mode == "statics" && log.find("] destructor line") == std::string::npos) {
        std::printf("the destructor's line is missing from the log\n");
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2) return runChild(argv[0], argv[1]);
    const std::string mode = argc == 3 ? argv[1] : "", dir = argc == 3 ? argv[2] : "";
    g_mode = mode == "statics" ? Mode::Statics : mode == "send_return" ? Mode::Return : Mode::Exit;
    if (g_mode == Mode::Statics) {
        if (!Base::CLog::getSingleton().setLogFile(dir + "/exit.log")) return 3;
        g_user.event = std::make_unique<Platform::NamedEvent>("exit-test-event", false, false);
        return convertsBack() ? 0 : 3;
    }
    if (g_mode == Mode::Return) {
        g_service.emplace();
        return startSend(dir) ? 0 : 4;
    }
    CSendQueueService service;  // never destroyed: std::exit leaves locals alone
    if (!startSend(dir)) return 4;
    std::exit(0);
}
