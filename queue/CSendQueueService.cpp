#include "queue/CSendQueueService.h"

#include <algorithm>

#include "contracts/base/CLog.h"
#include "queue/CSmsSendLoadMag.h"

SMS_SINGLETON_DEFINE(CSendQueueService)

namespace {

void trace(const char* text) { Base::CLog::getSingleton().writeMessage(text, 0); }

const unsigned long kQueueWaitMs = 300;

// Waits for a thread, or, on that very thread, lets it end by itself.
void finish(std::unique_ptr<Base::BaseNativeThread> thread) {
    if (!thread) return;
    if (thread->isCurrentThread()) return Base::BaseNativeThread::disown(std::move(thread));
    thread->stop();
}

// Starts a thread in the place just claimed for `worker`; gives the claim
// back when no thread can be started.
template <typename T>
int launch(std::unique_ptr<T>& slot, SMS::CSmsSendLoadMag::Worker worker) {
    slot = std::make_unique<T>();
    if (slot->start()) return 1;
    Base::CLog::getSingleton().writeMessage("CSendQueueService: cannot start a thread", 2);
    SMS::CSmsSendLoadMag::instance()->unclaim(worker);
    return 0;
}

}  // namespace

CSendQueueService::CSendQueueService()
    : queueEvent(std::make_unique<Platform::NamedEvent>("SMS_SENDQUEUEEVENT", false, true)) {}

CSendQueueService::~CSendQueueService() {
    stop();
    queueEvent.reset();
}

void CSendQueueService::retire(Thread thread) {
    if (thread) retired.push_back(std::move(thread));
    for (auto it = retired.begin(); it != retired.end();) {
        if ((*it)->isActive()) {
            ++it;
            continue;
        }
        (*it)->stop();  // threadProc_ has returned: the join is short
        it = retired.erase(it);
    }
}

int CSendQueueService::sendQueueData() {
    trace("WriteSendLog 0");
    const std::lock_guard<std::recursive_mutex> lock(threadsMutex);
    if (!SMS::CSmsSendLoadMag::instance()->claim(SMS::CSmsSendLoadMag::Worker::Sender)) {
        trace("WriteSendLog 0");
        return 0;
    }
    retire(std::move(sendThread));
    return launch(sendThread, SMS::CSmsSendLoadMag::Worker::Sender);
}

int CSendQueueService::WriteSendLog() {
    trace("WriteSendLog 0");
    const std::lock_guard<std::recursive_mutex> lock(threadsMutex);
    isWriteThreadActive();
    if (!SMS::CSmsSendLoadMag::instance()->claim(SMS::CSmsSendLoadMag::Worker::Logger)) {
        trace("WriteSendLog 1");
        return 0;
    }
    trace("WriteSendLog 4");
    retire(std::move(logThread));
    return launch(logThread, SMS::CSmsSendLoadMag::Worker::Logger);
}

int CSendQueueService::isSendThreadActive() {
    const std::lock_guard<std::recursive_mutex> lock(threadsMutex);
    return sendThread && sendThread->isActive() ? 1 : 0;
}

int CSendQueueService::isWriteThreadActive() {
    const std::lock_guard<std::recursive_mutex> lock(threadsMutex);
    trace("isWriteThreadActive 0");
    if (logThread) {
        trace("isWriteThreadActive 1");
        if (logThread->isActive()) return 1;
    }
    trace("isWriteThreadActive 2");
    return 0;
}

bool CSendQueueService::logThreadRunning() const {
    const std::lock_guard<std::recursive_mutex> lock(threadsMutex);
    return logThread && logThread->isActive();
}

int CSendQueueService::isActive() { return isWriteThreadActive() || isSendThreadActive() ? 1 : 0; }

int CSendQueueService::stop() {
    std::vector<Thread> doomed;
    {
        const std::lock_guard<std::recursive_mutex> lock(threadsMutex);
        doomed.push_back(std::move(logThread));
        doomed.push_back(std::move(sendThread));
        std::move(retired.begin(), retired.end(), std::back_inserter(doomed));
        retired.clear();
        SMS::CSmsSendLoadMag::instance()->stopThreads([&doomed] {
            for (const auto& thread : doomed) {
                if (thread) thread->requestStop();
            }
        });
    }
    for (auto& thread : doomed) finish(std::move(thread));
    return 1;
}

void CSendQueueService::clear() {
    std::vector<Thread> doomed;
    {
        const std::lock_guard<std::recursive_mutex> lock(threadsMutex);
        doomed.push_back(std::move(sendThread));
        doomed.push_back(std::move(logThread));
    }
    for (auto& thread : doomed) finish(std::move(thread));
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
