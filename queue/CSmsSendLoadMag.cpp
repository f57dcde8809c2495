#include "queue/CSmsSendLoadMag.h"

#include <algorithm>
#include <mutex>
#include <set>
#include <utility>

#include "contracts/base/CLog.h"
#include "queue/CSendQueueService.h"
#include "queue/QueueHooks.h"

namespace SMS {

namespace {

void trace(const char* text) { Base::CLog::getSingleton().writeMessage(text, 0); }

// The value `unstored` holds for the packet the sender is sending.
constexpr int kSending = -1;

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
        }
        trace("addSendQueue 3");
    }
    trace("addSendQueue 4");
    // Each starts a thread only when none is there to take the packets; a
    // sender that ends meanwhile does so in the same step as finding the
    // queue empty, so either it takes them or a new one is started.
    CSendQueueService& service = CSendQueueService::getSingleton();
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

bool CSmsSendLoadMag::claim(Worker worker) {
    const Platform::CriticalSection::Guard guard(queueLock);
    return !std::exchange(present(worker), true);
}

void CSmsSendLoadMag::unclaim(Worker worker) {
    const Platform::CriticalSection::Guard guard(queueLock);
    present(worker) = false;
}

void CSmsSendLoadMag::setSenderEnded() {
    senderPresent = false;
    setFinished();
}

CSmsSendLoadMag::Take CSmsSendLoadMag::takeNext(Dmg::QueueData& out, const RunControl& control,
                                                bool unstoredOk) {
    const Platform::CriticalSection::Guard guard(queueLock);
    if (!control.running()) return Take::Stopped;
    if (getHead(out) == 1) {
        if (out.skipFlag != 1) unstored[out.recordId] = {out.recordId, kSending, {}};
        return Take::Packet;
    }
    if (!unstoredOk && !unstored.empty()) return Take::OutcomesUnstored;
    trace("SendSmsEnd");
    queueHook(QueuePoint::SenderEnding);
    setSenderEnded();
    return Take::Finished;
}

void CSmsSendLoadMag::senderGone(const RunControl& control) {
    const Platform::CriticalSection::Guard guard(queueLock);
    if (control.running()) setSenderEnded();
}

void CSmsSendLoadMag::outcomeStored(int recordId) {
    const Platform::CriticalSection::Guard guard(queueLock);
    unstored.erase(recordId);
}

void CSmsSendLoadMag::outcomeUnstored(const Outcome& outcome) {
    const Platform::CriticalSection::Guard guard(queueLock);
    unstored[outcome.recordId] = outcome;
}

std::vector<CSmsSendLoadMag::Outcome> CSmsSendLoadMag::unstoredOutcomes() {
    const Platform::CriticalSection::Guard guard(queueLock);
    std::vector<Outcome> out;
    for (const auto& entry : unstored) {
        if (entry.second.status != kSending) out.push_back(entry.second);
    }
    return out;
}

std::vector<int> CSmsSendLoadMag::unstoredIds() {
    const Platform::CriticalSection::Guard guard(queueLock);
    std::vector<int> ids;
    for (const auto& entry : unstored) ids.push_back(entry.first);
    return ids;
}

int CSmsSendLoadMag::removeByRecordIds(const std::vector<int>& ids, std::vector<int>& held) {
    const std::set<int> doomed(ids.begin(), ids.end());
    const Platform::CriticalSection::Guard guard(queueLock);
    const auto firstRemoved = std::remove_if(queue.begin(), queue.end(), [&doomed](const Dmg::QueueData& r) {
        return r.skipFlag == 0 && doomed.count(r.recordId) != 0;
    });
    const int removed = static_cast<int>(std::distance(firstRemoved, queue.end()));
    queue.erase(firstRemoved, queue.end());
    for (const int id : doomed) {
        if (unstored.count(id) != 0) held.push_back(id);
    }
    return removed;
}

bool CSmsSendLoadMag::loggerMayEnd(const RunControl& control) {
    const Platform::CriticalSection::Guard guard(queueLock);
    if (!control.running() || senderPresent || !isFinished()) return false;
    loggerPresent = false;
    return true;
}

bool CSmsSendLoadMag::loggerResumes(const RunControl& control) {
    const Platform::CriticalSection::Guard guard(queueLock);
    if (!control.running() || loggerPresent) return false;
    loggerPresent = true;
    return true;
}

void CSmsSendLoadMag::loggerGone(const RunControl& control) {
    const Platform::CriticalSection::Guard guard(queueLock);
    if (control.running()) loggerPresent = false;
}

}  // namespace SMS
