#include "queue/CSendQueueProc.h"

#include <string>

#include "contracts/base/CLog.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "contracts/platform/Time.h"
#include "queue/CSmsSendLoadMag.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CUserInfo.h"

namespace SMS {

namespace {

const char* const kPassword = "Quenp19990812";
const int kAccepted = 1;
const int kFailed = 0;

void writeLog(const char* text, int level) { Base::CLog::getSingleton().writeMessage(text, level); }

// One run of the sending thread: the store it records outcomes in and
// whether the caller was already asked about a failure.
class SendRun {
public:
    SendRun()
        : store_(*static_cast<Dmg::CSendQueueSerialize*>(
              Dmg::CDataManager::getSingleton().getDataSerialize("sendqueuemodifyW"))),
          settings_(*CSmsSendStartInstance::Instance()),
          queue_(*CSmsSendLoadMag::instance()),
          path_(CUserInfo::instance()->userDir + "/" + "SQu.dll"),
          pauseMs_(settings_.packetPauseMs > 0 ? settings_.packetPauseMs : 0) {}

    Dmg::CSendQueueSerialize& store() { return store_; }
    const std::string& path() const { return path_; }
    unsigned long pauseMs() const { return static_cast<unsigned long>(pauseMs_); }

    // Sends (or fails) one packet and records its outcome. False: the caller
    // chose to stop after the first failure; the store is closed already.
    bool handle(const Dmg::QueueData& record);

private:
    // Asks the caller once per run; true when the caller wants to stop.
    bool callerStops(const SMS::NET::CNetSendResultB& result);
    void record(const Dmg::QueueData& record, bool accepted);

    Dmg::CSendQueueSerialize& store_;
    CSmsSendStartInstance& settings_;
    CSmsSendLoadMag& queue_;
    const std::string path_;
    const int pauseMs_;
    bool failureAsked_ = false;
};

bool SendRun::handle(const Dmg::QueueData& packet) {
    bool accepted = false;
    if (packet.rejected == 0) {
        writeLog("send packet", 0);
        Dmg::QueueData toSend = packet;
        const SMS::NET::CNetSendResultB result = SMS::NET::CNetInterfaceMag::instance()->SendPack(toSend);
        accepted = result.code == 0;
        if (!accepted && callerStops(result)) {
            store_.modifyStatus(packet.recordId, kFailed);
            store_.close();
            queue_.setFinished();
            settings_.onSendAborted();
            return false;
        }
    } else {
        writeLog("send packet failed", 0);
    }
    record(packet, accepted);
    int recordId = packet.recordId;
    int scratch = 0;
    settings_.onPacketDone(recordId, scratch);
    return true;
}

bool SendRun::callerStops(const SMS::NET::CNetSendResultB& result) {
    if (failureAsked_) return false;
    failureAsked_ = true;
    std::string errorText = result.errorText;
    return settings_.onFirstSendFailure(errorText) != 0;
}

void SendRun::record(const Dmg::QueueData& packet, bool accepted) {
    if (accepted) {
        writeLog("modifyStatus A", 0);
        store_.modifyStatus(packet.recordId, kAccepted);
        writeLog("写成功", 2);
    } else {
        writeLog("modifyStatus C", 0);
        store_.modifyStatus(packet.recordId, kFailed);
        writeLog("写成功-通讯失败", 2);
    }
}

bool stopRequested(const std::atomic<bool>* running) { return running != nullptr && !running->load(); }

// Runs `action` when the scope is left, however it is left.
template <typename Action>
class OnExit {
public:
    explicit OnExit(Action action) : action_(action) {}
    ~OnExit() { action_(); }
    OnExit(const OnExit&) = delete;
    OnExit& operator=(const OnExit&) = delete;

private:
    Action action_;
};

}  // namespace

void sendQueueProc(const std::atomic<bool>* running) {
    SendRun run;
    CSmsSendLoadMag& queue = *CSmsSendLoadMag::instance();
    // However the run ends (queue empty, stopped, a callback threw), the
    // queue learns that this sender is gone, so the log thread can end and
    // the next send starts a new sending thread.
    const OnExit leave([&queue] { queue.markSenderLeft(); });
    writeLog("SendSmsStart", 0);
    for (;;) {
        // Stopped from outside: what is left stays queued, and waiting in
        // the database, for the next sending thread.
        if (stopRequested(running)) return;
        run.store().initialize(run.path(), kPassword);
        Dmg::QueueData record;
        if (!queue.takeNextOrFinish(record)) {
            writeLog("SendSmsEnd", 0);
            run.store().close();
            CSmsSendStartInstance::Instance()->sendFinished = true;
            return;
        }
        if (record.skipFlag != 1 && !run.handle(record)) continue;
        run.store().close();
        Platform::sleepMs(run.pauseMs());
    }
}

}  // namespace SMS
