#include "queue/CSendMsgThread.h"

#include "queue/CSendQueueProc.h"

CSendMsgThread::CSendMsgThread() = default;
CSendMsgThread::CSendMsgThread(const CSendMsgThread& other) = default;
CSendMsgThread& CSendMsgThread::operator=(const CSendMsgThread& other) = default;
// Joined here, while this object is still whole.
CSendMsgThread::~CSendMsgThread() { stop(); }

int CSendMsgThread::threadProc_() {
    // The run flag lets stop() end the run between two packets.
    SMS::sendQueueProc(&m_bRun);
    return Base::BaseNativeThread::threadProc_();
}
