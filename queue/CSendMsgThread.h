// The sending thread: runs the sending procedure until the in-memory queue is
// empty or the thread is stopped.
#pragma once

#include "contracts/base/BaseNativeThread.h"
#include "contracts/export.h"
#include "queue/RunControl.h"

class SMS_API CSendMsgThread : public Base::BaseNativeThread {
public:
    CSendMsgThread();
    CSendMsgThread(const CSendMsgThread& other);
    CSendMsgThread& operator=(const CSendMsgThread& other);
    ~CSendMsgThread() override;

protected:
    int threadProc_() override;

private:
    friend class SMS::ThreadControl<CSendMsgThread>;
};
