#include "queue/CSmsSendQueueMag.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>

#include "contracts/base/CLog.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "queue/CSmsSendLoadMag.h"
#include "send/CUserInfo.h"

namespace SMS {
namespace {

const char* const kQueueFile = "SQu.dll";
const char* const kQueuePassword = "Quenp19990812";

// Opens SQu.dll of the current user for one operation and closes it again.
// A missing store or a file that will not open leaves the operation undone
// (logged) rather than running it on a closed store.
class QueueSession {
public:
    QueueSession()
        : store_(static_cast<Dmg::CSendQueueSerialize*>(
              Dmg::CDataManager::getSingleton().getDataSerialize("sendqueuemodify"))) {
        if (store_ == nullptr) {
            log("发送队列: sendqueuemodify store missing");
            return;
        }
        const std::string path = userFilePath(CUserInfo::instance()->userDir, kQueueFile);
        open_ = store_->initialize(path, kQueuePassword) != 0;
        if (!open_) log("发送队列: cannot open " + path);
    }
    ~QueueSession() {
        if (store_ != nullptr) store_->close();
    }
    QueueSession(const QueueSession&) = delete;
    QueueSession& operator=(const QueueSession&) = delete;

    Dmg::CSendQueueSerialize* store() const { return open_ ? store_ : nullptr; }

    static void log(const std::string& text) {
        if (Base::CLog* const log = Base::CLog::getSingletonPtr()) log->writeMessage(text, 2);
    }

private:
    Dmg::CSendQueueSerialize* store_;
    bool open_ = false;
};

std::vector<Dmg::QueueData>::iterator findRecord(std::vector<Dmg::QueueData>& list, int id) {
    return std::find_if(list.begin(), list.end(),
                        [id](const Dmg::QueueData& p) { return p.recordId == id; });
}

}  // namespace

CSmsSendQueueMag::CSmsSendQueueMag() = default;
CSmsSendQueueMag::CSmsSendQueueMag(const CSmsSendQueueMag& other) = default;
CSmsSendQueueMag& CSmsSendQueueMag::operator=(const CSmsSendQueueMag& other) = default;
CSmsSendQueueMag::~CSmsSendQueueMag() = default;

int CSmsSendQueueMag::loadSendMsg() {
    sendList.clear();
    std::vector<Dmg::QueueData> loaded;
    {
        const QueueSession session;
        if (session.store() != nullptr) session.store()->loadAllQueue(loaded);
    }
    // A packet the sender has taken is not waiting any more, even while its
    // outcome is not yet in the file.
    const std::vector<int> taken = CSmsSendLoadMag::instance()->unstoredIds();
    std::copy_if(loaded.begin(), loaded.end(), std::back_inserter(sendList),
                 [&taken](const Dmg::QueueData& p) {
                     return p.state == Dmg::QueueData::kWaiting &&
                            std::find(taken.begin(), taken.end(), p.recordId) == taken.end();
                 });
    return 1;
}

int CSmsSendQueueMag::addSendQueue(const std::vector<Dmg::QueueData>& packets) {
    sendList.insert(sendList.end(), packets.begin(), packets.end());
    return 1;
}

int CSmsSendQueueMag::getMsgNum() { return static_cast<int>(sendList.size()); }

int CSmsSendQueueMag::getAllSendQueue(std::vector<Dmg::QueueData>& out) {
    out = sendList;
    return 1;
}

int CSmsSendQueueMag::getSendQueue(const int& id, Dmg::QueueData& out) {
    const auto it = findRecord(sendList, id);
    if (it == sendList.end()) return 0;
    out = *it;
    return 1;
}

int CSmsSendQueueMag::delSendElment(const int& id) {
    const auto it = findRecord(sendList, id);
    if (it == sendList.end()) return 0;
    sendList.erase(it);
    return 1;
}

int CSmsSendQueueMag::delSendMsg(const std::vector<int>& ids) {
    for (const int id : ids) delSendElment(id);
    // The sending thread holds its own copy of queued packets; without this
    // it would still send the packets the user has just removed. A packet it
    // has already taken is sent all the same: its row stays, to reach the
    // history.
    std::vector<int> held;
    CSmsSendLoadMag::instance()->removeByRecordIds(ids, held);
    std::vector<int> doomed;
    for (const int id : ids) {
        if (std::find(held.begin(), held.end(), id) == held.end()) doomed.push_back(id);
    }
    for (const int id : held) {
        QueueSession::log("发送队列: 数据包 " + std::to_string(id) + " 已在发送中, 未删除");
    }
    const QueueSession session;
    if (session.store() != nullptr) session.store()->delQueue(doomed);
    return 1;
}

int CSmsSendQueueMag::delSendMsg(const std::vector<int>& ids, int& recipients) {
    recipients = 0;
    for (const int id : ids) {
        Dmg::QueueData record;
        if (getSendQueue(id, record) != 0) recipients += record.recipientCount;
    }
    return delSendMsg(ids);
}

int CSmsSendQueueMag::addLog(const Dmg::QueueData& record) {
    logList.push_back(record);
    return 1;
}

int CSmsSendQueueMag::getAllLogNum() { return static_cast<int>(logList.size()); }

int CSmsSendQueueMag::getLogs(const int& page, const int& pageSize,
                              std::vector<Dmg::QueueData>& out) {
    // 64-bit arithmetic: a huge page number is a page past the end, never a
    // page that wrapped round to the front.
    const std::int64_t first = static_cast<std::int64_t>(page) * pageSize;
    const std::int64_t count = static_cast<std::int64_t>(logList.size());
    if (first < 0 || first >= count) return 0;
    const std::int64_t last =
        std::min(static_cast<std::int64_t>(page + std::int64_t{1}) * pageSize - 1, count - 1);
    for (std::int64_t i = first; i <= last; ++i) out.push_back(logList[static_cast<std::size_t>(i)]);
    return 1;
}

int CSmsSendQueueMag::clearAllLog() {
    logList.clear();
    return 1;
}

}  // namespace SMS
