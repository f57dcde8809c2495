// The log thread: in passes about 300 ms apart, moves the finished packets
// from the send-queue database into the history; ends once the sender has
// finished and nothing is left to move.
#pragma once

#include <vector>

#include "contracts/base/BaseNativeThread.h"
#include "contracts/dmg/QueueData.h"
#include "contracts/export.h"

namespace Dmg {
class CLogSendQueueSerialize;
}

class SMS_API CLogMsgThread : public Base::BaseNativeThread {
public:
    CLogMsgThread();
    CLogMsgThread(const CLogMsgThread& other);
    CLogMsgThread& operator=(const CLogMsgThread& other);
    ~CLogMsgThread() override;

protected:
    int threadProc_() override;

private:
    // One pass over the three databases; ends the loop when all is moved.
    void movePass(Dmg::CLogSendQueueSerialize& store);
    // After an empty pass: true when the sender is done and nothing is left.
    bool nothingLeft(Dmg::CLogSendQueueSerialize& store, std::vector<Dmg::QueueData>& records,
                     std::vector<int>& ids);
};
