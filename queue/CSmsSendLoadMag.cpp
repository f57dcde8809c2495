#include "queue/CSmsSendLoadMag.h"

#include <algorithm>
#include <mutex>
#include <set>

#include "contracts/base/CLog.h"
#include "contracts/platform/Time.h"
#include "queue/CSendQueueService.h"

namespace SMS {

namespace {

void trace(const char* text) { Base::CLog::getSingleton().writeMessage(text, 0); }

// The record that leads the packets of an immediate send in the queue.
Dmg::QueueData summaryOf(const Dmg::QueueData& first, std::size_t packetCount) {
    Dmg::QueueData summary;
    summary.packetId = first.packetId;
    summary.commonMsg = first.commonMsg;
    summary.displayText = first.displayText;
    summary.skipFlag = 1;
    summary.packetCount = static_cast<std::int32_t>(packetCount);
    return summary;
}

// A thread that declared itself done may still be returning; wait for it so
// that the service starts a fresh one instead of relying on it.
template <typename IsActive>
void waitUntilGone(IsActive isActive) {
    while (isActive()) Platform::sleepMs(1);
}

}  // namespace

CSmsSendLoadMag* CSmsSendLoadMag::ms_pInstance = nullptr;

CSmsSendLoadMag* CSmsSendLoadMag::instance() {
    static std::once_flag once;
    // Never destroyed: the worker threads may use it until the process ends.
    std::call_once(once, [] { ms_pInstance = new CSmsSendLoadMag(); });
    return ms_pInstance;
}

CSmsSendLoadMag::CSmsSendLoadMag() : finished(false) {}

CSmsSendLoadMag::CSmsSendLoadMag(const CSmsSendLoadMag& other) : finished(false) {
    *this = other;
}

CSmsSendLoadMag& CSmsSendLoadMag::operator=(const CSmsSendLoadMag& other) {
    if (this == &other) return *this;
    std::vector<Dmg::QueueData> copy;
    bool otherFinished = false;
    {
        const Platform::CriticalSection::Guard guard(other.queueLock);
        copy = other.queue;
        const Platform::CriticalSection::Guard flagGuard(other.finishedLock);
        otherFinished = other.finished;
    }
    const Platform::CriticalSection::Guard guard(queueLock);
    queue = std::move(copy);
    const Platform::CriticalSection::Guard flagGuard(finishedLock);
    finished = otherFinished;
    return *this;
}

CSmsSendLoadMag::~CSmsSendLoadMag() = default;

int CSmsSendLoadMag::addSendQueue(const std::vector<Dmg::QueueData>& packets) {
    if (packets.empty()) return 0;
    trace("addSendQueue 1");
    bool restartSender = false;
    bool restartLogger = false;
    {
        const Platform::CriticalSection::Guard guard(queueLock);
        trace("addSendQueue 2");
        const std::size_t summaryAt = queue.size();
        if (packets.front().timerFlag == 0) queue.push_back(summaryOf(packets.front(), packets.size()));
        std::int32_t recipients = 0;
        std::int32_t segments = 0;
        for (const Dmg::QueueData& packet : packets) {
            queue.push_back(packet);
            recipients += packet.recipientCount;
            segments += packet.segmentCount;
        }
        queue[summaryAt].recipientCount = recipients;
        queue[summaryAt].segmentCount = segments;
        {
            const Platform::CriticalSection::Guard flagGuard(finishedLock);
            finished = false;
            restartLogger = loggerLeft;
            loggerLeft = false;
        }
        restartSender = senderLeft;
        senderLeft = false;
        trace("addSendQueue 3");
    }
    trace("addSendQueue 4");
    CSendQueueService& service = CSendQueueService::getSingleton();
    if (restartSender) waitUntilGone([&service] { return service.isSendThreadActive() != 0; });
    if (restartLogger) waitUntilGone([&service] { return service.logThreadRunning(); });
    service.sendQueueData();
    service.WriteSendLog();
    return 1;
}

int CSmsSendLoadMag::getHead(Dmg::QueueData& out) {
    trace("getHead 1");
    {
        const Platform::CriticalSection::Guard guard(queueLock);
        trace("getHead 2");
        if (queue.empty()) return 0;
        out = std::move(queue.front());
        queue.erase(queue.begin());
        trace("getHead 3");
    }
    trace("getHead 4");
    return 1;
}

int CSmsSendLoadMag::ClearAll() {
    trace("ClearAll 1");
    {
        const Platform::CriticalSection::Guard guard(queueLock);
        trace("ClearAll 2");
        queue.clear();
        trace("ClearAll 3");
    }
    trace("ClearAll 4");
    return 1;
}

int CSmsSendLoadMag::removeByRecordIds(const std::vector<int>& ids) {
    const std::set<int> doomed(ids.begin(), ids.end());
    const Platform::CriticalSection::Guard guard(queueLock);
    const auto firstRemoved = std::remove_if(queue.begin(), queue.end(), [&doomed](const Dmg::QueueData& r) {
        return r.skipFlag == 0 && doomed.count(r.recordId) != 0;
    });
    const int removed = static_cast<int>(std::distance(firstRemoved, queue.end()));
    queue.erase(firstRemoved, queue.end());
    return removed;
}

bool CSmsSendLoadMag::isEmpty() {
    const Platform::CriticalSection::Guard guard(queueLock);
    return queue.empty();
}

bool CSmsSendLoadMag::isFinished() {
    const Platform::CriticalSection::Guard guard(finishedLock);
    return finished;
}

void CSmsSendLoadMag::setFinished() {
    const Platform::CriticalSection::Guard guard(finishedLock);
    finished = true;
}

bool CSmsSendLoadMag::takeNextOrFinish(Dmg::QueueData& out) {
    const Platform::CriticalSection::Guard guard(queueLock);
    if (getHead(out) == 1) return true;
    setFinished();
    senderLeft = true;
    return false;
}

void CSmsSendLoadMag::markSenderLeft() {
    const Platform::CriticalSection::Guard guard(queueLock);
    setFinished();
    senderLeft = true;
}

bool CSmsSendLoadMag::retireLogger() {
    const Platform::CriticalSection::Guard guard(queueLock);
    const Platform::CriticalSection::Guard flagGuard(finishedLock);
    if (!finished || !senderLeft) return false;
    loggerLeft = true;
    return true;
}

}  // namespace SMS
