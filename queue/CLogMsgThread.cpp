#include "queue/CLogMsgThread.h"

#include <algorithm>
#include <string>

#include "contracts/base/CLog.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CLogSendQueueSerialize.h"
#include "contracts/platform/Time.h"
#include "queue/CSmsSendLoadMag.h"
#include "send/CUserInfo.h"

namespace {

const char* const kPassword = "Quenp19990812";
const unsigned long kIdlePassMs = 300;

void writeLog(const std::string& text, int level) { Base::CLog::getSingleton().writeMessage(text, level); }

void openDatabases(Dmg::CLogSendQueueSerialize& store) {
    const std::string& dir = SMS::CUserInfo::instance()->userDir;
    store.initializeHistroyDB(dir + "/HLog.dll", kPassword);
    store.initializeSendQueueDB(dir + "/SQu.dll", kPassword);
    store.initializeMainDB(dir + "/Main.dll", kPassword);
}

void closeDatabases(Dmg::CLogSendQueueSerialize& store) {
    store.closeSendQueueDB();
    store.closeHistoryDB();
    store.closeMainDB();
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
    while (m_bRun) movePass(store);
    return Base::BaseNativeThread::threadProc_();
}

void CLogMsgThread::movePass(Dmg::CLogSendQueueSerialize& store) {
    openDatabases(store);
    writeLog("LogStart 1--", 0);
    writeLog("LogStart Sleep1--", 0);
    writeLog("LogStart Sleep2--", 0);
    writeLog("log thread start to check database...", 1);

    std::vector<Dmg::QueueData> records;
    std::vector<int> ids;
    store.getAllSendData(records, ids);
    writeLog("get " + std::to_string(records.size()) + " packages!!!!!!!!!", 1);
    store.writeLog(records);
    std::sort(ids.begin(), ids.end());
    writeLog("开始删除发送队列", 1);
    store.deleteSendData(ids);
    writeLog("结束删除发送对列", 1);
    writeLog("LogStart Sleep3--", 0);

    if (ids.empty()) {
        writeLog("LogStart Sleep4--", 0);
        writeLog("LogStart Sleep6--", 0);
        if (SMS::CSmsSendLoadMag::instance()->isFinished()) {
            writeLog("LogStart Sleep6A--", 0);
            if (nothingLeft(store, records, ids)) {
                writeLog("LogStart Sleep9--", 0);
                m_bRun = false;
            } else if (ids.empty()) {
                // The sender is still at work (it went on after the caller
                // chose to stop): poll as while it sends.
                Platform::sleepMs(kIdlePassMs);
            }
        } else {
            Platform::sleepMs(kIdlePassMs);
        }
    }
    closeDatabases(store);
}

bool CLogMsgThread::nothingLeft(Dmg::CLogSendQueueSerialize& store, std::vector<Dmg::QueueData>& records,
                                std::vector<int>& ids) {
    store.getAllSendData(records, ids);
    // A send added meanwhile keeps this thread: its packets are to be moved.
    return ids.empty() && SMS::CSmsSendLoadMag::instance()->retireLogger();
}
