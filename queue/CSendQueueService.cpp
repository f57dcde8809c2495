#include "queue/CSendQueueService.h"

#include <cassert>

#include "contracts/base/CLog.h"

SMS_SINGLETON_DEFINE(CSendQueueService)

namespace {

void trace(const char* text) { Base::CLog::getSingleton().writeMessage(text, 0); }

const unsigned long kQueueWaitMs = 300;

// A thread object may only be dropped once its thread has been joined:
// stop() joins a thread that has ended (and stops one that still runs).
template <typename Thread>
void retire(std::unique_ptr<Thread>& thread) {
    if (thread) thread->stop();
    thread.reset();
}

}  // namespace

CSendQueueService::CSendQueueService()
    : queueEvent(std::make_unique<Platform::NamedEvent>("SMS_SENDQUEUEEVENT", false, true)) {}

CSendQueueService::~CSendQueueService() {
    stop();
    queueEvent.reset();
}

int CSendQueueService::sendQueueData() {
    trace("WriteSendLog 0");
    if (isSendThreadActive()) {
        trace("WriteSendLog 0");
        return 0;
    }
    retire(sendThread);
    sendThread = std::make_unique<CSendMsgThread>();
    sendThread->start();
    return 1;
}

int CSendQueueService::WriteSendLog() {
    trace("WriteSendLog 0");
    if (isWriteThreadActive()) {
        trace("WriteSendLog 1");
        return 0;
    }
    trace("WriteSendLog 4");
    retire(logThread);
    logThread = std::make_unique<CLogMsgThread>();
    logThread->start();
    return 1;
}

int CSendQueueService::isSendThreadActive() { return sendThread && sendThread->isActive() ? 1 : 0; }

int CSendQueueService::isWriteThreadActive() {
    trace("isWriteThreadActive 0");
    if (logThread) {
        trace("isWriteThreadActive 1");
        if (logThread->isActive()) return 1;
    }
    trace("isWriteThreadActive 2");
    return 0;
}

bool CSendQueueService::logThreadRunning() const { return logThread && logThread->isActive(); }

int CSendQueueService::isActive() { return isWriteThreadActive() || isSendThreadActive() ? 1 : 0; }

int CSendQueueService::stop() {
    if (logThread) logThread->stop();
    if (sendThread) sendThread->stop();
    sendThread.reset();
    logThread.reset();
    return 1;
}

void CSendQueueService::clear() {
    sendThread.reset();
    logThread.reset();
}

void CSendQueueService::waitforSendQueue() {
    if (queueEvent) queueEvent->wait(kQueueWaitMs);
}

void CSendQueueService::wakeupLogThread() {
    if (queueEvent) queueEvent->reset();
}

void CSendQueueService::callBirthdayFun() {
    if (!birthdayCalled) birthdayFun();
    birthdayCalled = true;
}
