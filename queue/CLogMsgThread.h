// The log thread: in passes about 300 ms apart, moves the finished packets
// from the send-queue database into the history; ends once the sender has
// finished and nothing is left to move.
#pragma once

#include "contracts/base/BaseNativeThread.h"
#include "contracts/export.h"
#include "queue/RunControl.h"

class SMS_API CLogMsgThread : public Base::BaseNativeThread {
public:
    CLogMsgThread();
    CLogMsgThread(const CLogMsgThread& other);
    CLogMsgThread& operator=(const CLogMsgThread& other);
    ~CLogMsgThread() override;

protected:
    int threadProc_() override;

private:
    friend class SMS::ThreadControl<CLogMsgThread>;
};
