#include "queue/CSendQueueProc.h"

#include <algorithm>
#include <string>

#include "contracts/base/CLog.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "contracts/platform/Time.h"
#include "queue/CSmsSendLoadMag.h"
#include "queue/QueueHooks.h"
#include "queue/ScopeExit.h"
#include "send/CSmsSendStartInstance.h"
#include "send/CUserInfo.h"

namespace SMS {

namespace {

const char* const kPassword = "Quenp19990812";
const int kAccepted = 1;
const int kFailed = 0;

// An outcome that cannot be written (a full disk, a busy file) is tried again
// after these waits, then kept in memory and tried before each later packet.
const unsigned long kStatusRetryMs[] = {50, 200, 800};
// At the end of the queue the outcomes still unwritten are tried again with
// a backoff growing to kUnstoredMaxWaitMs, for at most kUnstoredRounds
// rounds; then the run ends and the next run writes them first.
const unsigned long kUnstoredFirstWaitMs = 100;
const unsigned long kUnstoredMaxWaitMs = 2000;
const int kUnstoredRounds = 20;
// A packet whose outcome the gateway could not learn is sent again, with the
// same key, after a wait that grows from kUnsureFirstWaitMs to kUnsureMaxWaitMs.
const unsigned long kUnsureFirstWaitMs = 200;
const unsigned long kUnsureMaxWaitMs = 10000;

void writeLog(const std::string& text, int level) {
    Base::CLog::getSingleton().writeMessage(text, level);
}

// Without a thread behind it: never stopped, plain sleeps.
class Unstoppable final : public RunControl {
public:
    bool running() const override { return true; }
    bool pause(unsigned long ms) override {
        Platform::sleepMs(ms);
        return true;
    }
};

// One run of the sending thread: the store it records outcomes in and
// whether the caller was already asked about a failure.
class SendRun {
public:
    explicit SendRun(RunControl& control)
        : control_(control),
          store_(*static_cast<Dmg::CSendQueueSerialize*>(
              Dmg::CDataManager::getSingleton().getDataSerialize("sendqueuemodifyW"))),
          settings_(*CSmsSendStartInstance::Instance()),
          queue_(*CSmsSendLoadMag::instance()),
          path_(userFilePath(CUserInfo::instance()->userDir, "SQu.dll")),
          pauseMs_(settings_.packetPauseMs > 0 ? settings_.packetPauseMs : 0) {}

    void open() { store_.initialize(path_, kPassword); }
    void close() { store_.close(); }
    unsigned long pauseMs() const { return static_cast<unsigned long>(pauseMs_); }

    // Sends (or fails) one packet and records its outcome. False: the caller
    // chose to stop after the first failure; the store is closed already.
    bool handle(const Dmg::QueueData& record);
    // Writes the outcomes that earlier attempts could not store; true when
    // none is left.
    bool writeUnstored();
    // At the end of the queue: tries the unwritten outcomes until they are
    // stored, the thread is stopped or the rounds are used up.
    void settleUnstored();

private:
    // Asks the caller once per run; true when the caller wants to stop.
    bool callerStops(const SMS::NET::CNetSendResultB& result);
    // Sends until the service's answer is known; false when the thread was
    // stopped first, the packet left waiting in SQu.dll.
    bool sendUntilKnown(const Dmg::QueueData& packet, SMS::NET::CNetSendResultB& result);
    void record(const Dmg::QueueData& record, bool accepted, const std::string& serviceKey);
    // Writes the service's key of an accepted timed packet, which the log
    // thread needs when it moves the packet, then the status: the key is
    // only taken while the packet waits.
    bool write(const CSmsSendLoadMag::Outcome& outcome);
    // Stores one outcome, retrying a failed write; keeps it in memory when
    // every attempt fails.
    void storeOutcome(const CSmsSendLoadMag::Outcome& outcome);

    RunControl& control_;
    Dmg::CSendQueueSerialize& store_;
    CSmsSendStartInstance& settings_;
    CSmsSendLoadMag& queue_;
    const std::string path_;
    const int pauseMs_;
    bool failureAsked_ = false;
};

bool SendRun::handle(const Dmg::QueueData& packet) {
    bool accepted = false;
    std::string serviceKey;
    if (packet.rejected == 0) {
        writeLog("send packet", 0);
        SMS::NET::CNetSendResultB result;
        if (!sendUntilKnown(packet, result)) {
            queue_.leftWaiting(packet.recordId);
            return true;
        }
        accepted = result.code == 0;
        if (accepted) serviceKey = result.serviceKey;
        if (!accepted && callerStops(result)) {
            storeOutcome({packet.recordId, kFailed, {}});
            close();
            queue_.setFinished();
            settings_.onSendAborted();
            return false;
        }
    } else {
        writeLog("send packet failed", 0);
    }
    record(packet, accepted, serviceKey);
    int recordId = packet.recordId;
    int scratch = 0;
    settings_.onPacketDone(recordId, scratch);
    return true;
}

// Once an outcome was unknown, "out of order" proves nothing: an earlier
// attempt may have been taken; only the service's kept answer settles it.
bool SendRun::sendUntilKnown(const Dmg::QueueData& packet, SMS::NET::CNetSendResultB& result) {
    using Result = SMS::NET::CNetSendResultB;
    bool unsure = false;
    unsigned long waitMs = kUnsureFirstWaitMs;
    for (;;) {
        Dmg::QueueData toSend = packet;
        result = SMS::NET::CNetInterfaceMag::instance()->SendPack(toSend);
        unsure = result.code == Result::kOutcomeUnknown ||
                 (unsure && result.code == Result::kUnavailable);
        if (!unsure) return true;
        writeLog(
            "发送结果未知, 稍后重发: " + std::to_string(packet.recordId) + " " + result.errorText,
            2);
        close();
        if (!control_.pause(waitMs)) return false;
        waitMs = std::min(waitMs * 2, kUnsureMaxWaitMs);
        open();
    }
}

bool SendRun::callerStops(const SMS::NET::CNetSendResultB& result) {
    if (failureAsked_) return false;
    failureAsked_ = true;
    std::string errorText = result.errorText;
    return settings_.onFirstSendFailure(errorText) != 0;
}

void SendRun::record(const Dmg::QueueData& packet, bool accepted, const std::string& serviceKey) {
    if (accepted) {
        writeLog("modifyStatus A", 0);
        storeOutcome({packet.recordId, kAccepted, serviceKey});
        writeLog("写成功", 2);
    } else {
        writeLog("modifyStatus C", 0);
        storeOutcome({packet.recordId, kFailed, {}});
        writeLog("写成功-通讯失败", 2);
    }
}

bool SendRun::write(const CSmsSendLoadMag::Outcome& outcome) {
    if (!outcome.serviceKey.empty() &&
        store_.setServiceKey(outcome.recordId, outcome.serviceKey) != 1) {
        return false;
    }
    return store_.modifyStatus(outcome.recordId, outcome.status) == 1;
}

void SendRun::storeOutcome(const CSmsSendLoadMag::Outcome& outcome) {
    if (write(outcome)) return queue_.outcomeStored(outcome.recordId);
    for (const unsigned long waitMs : kStatusRetryMs) {
        control_.pause(waitMs);
        if (write(outcome)) return queue_.outcomeStored(outcome.recordId);
    }
    queue_.outcomeUnstored(outcome);
    writeLog("发送结果未能写入发送队列, 暂存内存, 稍后重试: " + std::to_string(outcome.recordId),
             2);
}

bool SendRun::writeUnstored() {
    bool allStored = true;
    for (const auto& outcome : queue_.unstoredOutcomes()) {
        if (write(outcome)) {
            queue_.outcomeStored(outcome.recordId);
            writeLog("暂存的发送结果已写入: " + std::to_string(outcome.recordId), 2);
        } else {
            allStored = false;
        }
    }
    return allStored;
}

void SendRun::settleUnstored() {
    close();
    unsigned long waitMs = kUnstoredFirstWaitMs;
    for (int round = 0; round < kUnstoredRounds; ++round) {
        if (!control_.pause(waitMs)) return;
        waitMs = std::min(waitMs * 2, kUnstoredMaxWaitMs);
        open();
        const bool allStored = writeUnstored();
        close();
        if (allStored) return;
    }
    writeLog("发送结果仍未能写入, 下次发送时再写", 2);
}

}  // namespace

void sendQueueProc(RunControl* control) {
    Unstoppable unstoppable;
    RunControl& runControl = control != nullptr ? *control : unstoppable;
    SendRun run(runControl);
    CSmsSendLoadMag& queue = *CSmsSendLoadMag::instance();
    // The end of the run is recorded once: by takeNext when it finds the
    // queue empty, in the same step; here when the run ends any other way.
    bool recorded = false;
    const ScopeExit end([&] {
        queueHook(QueuePoint::SenderReturning);
        if (!recorded) queue.senderGone(runControl);
    });
    writeLog("SendSmsStart", 0);
    bool settled = false;
    for (;;) {
        run.open();
        run.writeUnstored();
        Dmg::QueueData record;
        switch (queue.takeNext(record, runControl, settled)) {
            case CSmsSendLoadMag::Take::Stopped:
                // What is left stays queued, and waiting in the database, for
                // the next sending thread.
                run.close();
                return;
            case CSmsSendLoadMag::Take::OutcomesUnstored:
                run.settleUnstored();
                settled = true;
                continue;
            case CSmsSendLoadMag::Take::Finished:
                recorded = true;
                run.close();
                CSmsSendStartInstance::Instance()->sendFinished = true;
                return;
            case CSmsSendLoadMag::Take::Packet:
                break;
        }
        settled = false;
        if (record.skipFlag != 1 && !run.handle(record)) continue;
        run.close();
        runControl.pause(run.pauseMs());
    }
}

}  // namespace SMS
