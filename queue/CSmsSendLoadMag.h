// The process-wide in-memory send queue: the packets of each send wait here,
// oldest first, until the sending thread takes them one at a time. Adding
// packets starts the sending and log threads of CSendQueueService.
#pragma once

#include <atomic>
#include <vector>

#include "contracts/dmg/QueueData.h"
#include "contracts/export.h"
#include "contracts/platform/CriticalSection.h"
#include "queue/CSendQueueProc.h"

class CLogMsgThread;

namespace SMS {

class SMS_API CSmsSendLoadMag {
public:
    // Created on the first call, never destroyed.
    static CSmsSendLoadMag* instance();

    CSmsSendLoadMag();
    CSmsSendLoadMag(const CSmsSendLoadMag& other);
    CSmsSendLoadMag& operator=(const CSmsSendLoadMag& other);
    ~CSmsSendLoadMag();

    // Queues the packets of one send (behind a summary record for an
    // immediate send), clears `finished` and makes sure the sending and log
    // threads run. Returns 1; 0 for an empty vector, which changes nothing.
    int addSendQueue(const std::vector<Dmg::QueueData>& packets);
    // Moves the oldest record into `out` and returns 1; 0 when empty, `out`
    // untouched.
    int getHead(Dmg::QueueData& out);
    // Empties the queue; `finished` stays as it is. Returns 1.
    int ClearAll();
    // Removes the packets with these record ids; returns how many went.
    int removeByRecordIds(const std::vector<int>& ids);
    bool isEmpty();

    bool isFinished();
    void setFinished();

    static CSmsSendLoadMag* ms_pInstance;

private:
    friend class ::CLogMsgThread;
    friend void sendQueueProc(const std::atomic<bool>* running);

    // The sending thread's take: the oldest record, or, when none is left,
    // `finished` is set and the sender is marked as leaving, in one step, so
    // that a send added meanwhile knows it needs a new sending thread.
    bool takeNextOrFinish(Dmg::QueueData& out);
    // The sending thread leaves, however it ends (stopped, or a callback
    // threw): `finished` is set, and what is left stays queued.
    void markSenderLeft();
    // The log thread may end only while `finished` holds and the sender has
    // left (after a stop on the caller's decision it may still be sending);
    // it is then marked as leaving under the same locks. False: keep going.
    bool retireLogger();

    // Set when a thread decided to end; addSendQueue reads and clears them to
    // wait for that thread before asking for a new one.
    bool senderLeft = true;
    bool loggerLeft = true;

    std::vector<Dmg::QueueData> queue;
    // Guards `queue` and the writes of `finished` made by addSendQueue.
    mutable Platform::CriticalSection queueLock;
    // Guards `finished`.
    mutable Platform::CriticalSection finishedLock;
    bool finished;
};

}  // namespace SMS
