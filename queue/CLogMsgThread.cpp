#include "queue/CLogMsgThread.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "contracts/base/CLog.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CLogSendQueueSerialize.h"
#include "queue/CSmsSendLoadMag.h"
#include "queue/QueueHooks.h"
#include "queue/ScopeExit.h"
#include "send/CUserInfo.h"

namespace {

const char* const kPassword = "Quenp19990812";
const unsigned long kIdlePassMs = 300;
// While finished packets cannot be moved (the history cannot be written, the
// queue file is busy) the passes back off from the idle interval up to this.
const unsigned long kTroubleMaxWaitMs = 5000;

void writeLog(const std::string& text, int level) {
    Base::CLog::getSingleton().writeMessage(text, level);
}

// Held by a log thread through each pass over the databases, pauses aside.
// An ending log thread's last read can overlap the first pass of the next
// one (its place is given up before that read), and both use the one store
// object.
std::mutex passMutex;

void openDatabases(Dmg::CLogSendQueueSerialize& store) {
    const std::string& dir = SMS::CUserInfo::instance()->userDir;
    store.initializeHistroyDB(SMS::userFilePath(dir, "HLog.dll"), kPassword);
    store.initializeSendQueueDB(SMS::userFilePath(dir, "SQu.dll"), kPassword);
    store.initializeMainDB(SMS::userFilePath(dir, "Main.dll"), kPassword);
}

void closeDatabases(Dmg::CLogSendQueueSerialize& store) {
    store.closeSendQueueDB();
    store.closeHistoryDB();
    store.closeMainDB();
}

// The passes of one run of the log thread.
class LogRun {
public:
    LogRun(Dmg::CLogSendQueueSerialize& store, SMS::RunControl& control)
        : store_(store), control_(control), queue_(*SMS::CSmsSendLoadMag::instance()) {}

    // One pass over the three databases; false when the thread is to end.
    bool pass();

private:
    // Moves what is finished; the ids found (empty: nothing to move).
    std::vector<int> move(bool& moved);
    // After a pass that found nothing: false when the thread may end.
    bool goesOn(unsigned long& waitMs);
    // Whether finished packets could not be moved; logged once each way.
    void trouble(bool now);

    Dmg::CLogSendQueueSerialize& store_;
    SMS::RunControl& control_;
    SMS::CSmsSendLoadMag& queue_;
    std::vector<int> lastIds_;
    bool inTrouble_ = false;
    unsigned long troubleWaitMs_ = kIdlePassMs;
};

bool LogRun::pass() {
    std::unique_lock<std::mutex> turn(passMutex, std::try_to_lock);
    if (!turn.owns_lock()) {
        SMS::queueHook(SMS::QueuePoint::LoggerWaitsForPass);
        turn.lock();
    }
    openDatabases(store_);
    writeLog("LogStart 1--", 0);
    writeLog("LogStart Sleep1--", 0);
    writeLog("LogStart Sleep2--", 0);
    writeLog("log thread start to check database...", 1);
    bool moved = false;
    const std::vector<int> ids = move(moved);
    // The same packets found again were not moved either, whatever the
    // store said.
    const bool stuck = !ids.empty() && (!moved || ids == lastIds_);
    lastIds_ = ids;
    trouble(stuck);
    unsigned long waitMs = 0;
    bool goOn = true;
    if (stuck) {
        waitMs = troubleWaitMs_;
        troubleWaitMs_ = std::min(troubleWaitMs_ * 2, kTroubleMaxWaitMs);
    } else if (ids.empty()) {
        goOn = goesOn(waitMs);
    }
    closeDatabases(store_);
    turn.unlock();
    if (waitMs > 0) control_.pause(waitMs);
    return goOn;
}

std::vector<int> LogRun::move(bool& moved) {
    std::vector<Dmg::QueueData> records;
    std::vector<int> ids;
    store_.getAllSendData(records, ids);
    writeLog("get " + std::to_string(records.size()) + " packages!!!!!!!!!", 1);
    const bool written = store_.writeLog(records) == 1;
    std::sort(ids.begin(), ids.end());
    writeLog("开始删除发送队列", 1);
    const bool deleted = store_.deleteSendData(ids) == 1;
    writeLog("结束删除发送对列", 1);
    writeLog("LogStart Sleep3--", 0);
    moved = written && deleted;
    return ids;
}

bool LogRun::goesOn(unsigned long& waitMs) {
    writeLog("LogStart Sleep4--", 0);
    writeLog("LogStart Sleep6--", 0);
    waitMs = kIdlePassMs;
    if (!queue_.isFinished()) return true;
    writeLog("LogStart Sleep6A--", 0);
    // First ask whether the sender has left, then read: every status it
    // committed before leaving is then seen by this read.
    if (!queue_.loggerMayEnd(control_)) return true;
    SMS::queueHook(SMS::QueuePoint::LoggerLastRead);
    std::vector<Dmg::QueueData> records;
    std::vector<int> ids;
    store_.getAllSendData(records, ids);
    if (ids.empty()) {
        writeLog("LogStart Sleep9--", 0);
        waitMs = 0;
        return false;
    }
    // Something is left: move it at once, unless a new log thread took over.
    waitMs = 0;
    return queue_.loggerResumes(control_);
}

void LogRun::trouble(bool now) {
    if (now == inTrouble_) return;
    inTrouble_ = now;
    if (now) {
        writeLog("发送记录无法移入历史记录, 已发送的数据包留在发送队列中, 稍后重试", 2);
    } else {
        writeLog("发送记录已恢复移入历史记录", 2);
        troubleWaitMs_ = kIdlePassMs;
    }
}

}  // namespace

CLogMsgThread::CLogMsgThread() = default;
CLogMsgThread::CLogMsgThread(const CLogMsgThread& other) = default;
CLogMsgThread& CLogMsgThread::operator=(const CLogMsgThread& other) = default;
// Joined here, while this object is still whole.
CLogMsgThread::~CLogMsgThread() { stop(); }

int CLogMsgThread::threadProc_() {
    writeLog("LogStartXX", 0);
    auto& store = *static_cast<Dmg::CLogSendQueueSerialize*>(
        Dmg::CDataManager::getSingleton().getDataSerialize("logsendqueue"));
    SMS::ThreadControl<CLogMsgThread> control(*this);
    // The log thread's place is given up however its run ends.
    SMS::CSmsSendLoadMag& queue = *SMS::CSmsSendLoadMag::instance();
    const SMS::ScopeExit end([&queue, &control] { queue.loggerGone(control); });
    LogRun run(store, control);
    while (m_bRun) {
        if (!run.pass()) m_bRun = false;
    }
    return Base::BaseNativeThread::threadProc_();
}
