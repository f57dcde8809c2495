#include "queue/CSendMsgThread.h"

#include "queue/CSendQueueProc.h"

CSendMsgThread::CSendMsgThread() = default;
CSendMsgThread::CSendMsgThread(const CSendMsgThread& other) = default;
CSendMsgThread& CSendMsgThread::operator=(const CSendMsgThread& other) = default;
// Joined here, while this object is still whole.
CSendMsgThread::~CSendMsgThread() { stop(); }

int CSendMsgThread::threadProc_() {
    SMS::ThreadControl<CSendMsgThread> control(*this);
    SMS::sendQueueProc(&control);
    return Base::BaseNativeThread::threadProc_();
}
