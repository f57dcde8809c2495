// The caller's view of the packets waiting in the send-queue database
// (SQu.dll under the user directory): load them, look at them, remove some
// before they are sent. A second list keeps packet records the caller wants
// to page through as a log.
#pragma once

#include <vector>

#include "contracts/dmg/QueueData.h"
#include "contracts/export.h"

namespace SMS {

class SMS_API CSmsSendQueueMag {
public:
    CSmsSendQueueMag();
    CSmsSendQueueMag(const CSmsSendQueueMag& other);
    CSmsSendQueueMag& operator=(const CSmsSendQueueMag& other);
    ~CSmsSendQueueMag();

    // Reloads sendList with the packets of the database still waiting
    // (state 0, and not taken by the sending thread), in the database's
    // order. Returns 1.
    int loadSendMsg();
    // Appends to sendList without writing the database. Returns 1.
    int addSendQueue(const std::vector<Dmg::QueueData>& packets);
    int getMsgNum();
    int getAllSendQueue(std::vector<Dmg::QueueData>& out);
    // 1 and a copy of the first packet with that record id; 0 (out untouched)
    // when sendList holds none.
    int getSendQueue(const int& id, Dmg::QueueData& out);
    // Removes the first packet with that record id from sendList only;
    // 0 when there is none.
    int delSendElment(const int& id);
    // Removes the packets from sendList, from the sending thread's memory and
    // from the database. Every id goes to the database, loaded or not, except
    // a packet the sending thread has already taken: it is sent and reaches
    // the history (logged). Returns 1.
    int delSendMsg(const std::vector<int>& ids);
    // The same; recipients first becomes the recipient count of the removed
    // packets that sendList held.
    int delSendMsg(const std::vector<int>& ids, int& recipients);

    int addLog(const Dmg::QueueData& record);
    int getAllLogNum();
    // Appends page `page` of logList to out (out is not emptied); 0 when the
    // page starts before the first or past the last record.
    int getLogs(const int& page, const int& pageSize, std::vector<Dmg::QueueData>& out);
    int clearAllLog();

protected:
    std::vector<Dmg::QueueData> sendList;
    std::vector<Dmg::QueueData> logList;
};

}  // namespace SMS
