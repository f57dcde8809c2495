// The process-wide in-memory send queue: the packets of each send wait here,
// oldest first, until the sending thread takes them one at a time. Adding
// packets starts the sending and log threads of CSendQueueService.
//
// The queue also holds the hand-over between the caller's thread and the two
// worker threads: whether a sending thread and a log thread are there to
// take what is queued, and the packets taken by the sender whose outcome is
// not yet stored in SQu.dll.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "contracts/dmg/QueueData.h"
#include "contracts/export.h"
#include "contracts/platform/CriticalSection.h"
#include "queue/RunControl.h"

namespace SMS {

class SMS_API CSmsSendLoadMag {
public:
    // Created on the first call, never destroyed.
    static CSmsSendLoadMag* instance();

    CSmsSendLoadMag();
    // Copies the queue and the flag, not the hand-over state.
    CSmsSendLoadMag(const CSmsSendLoadMag& other);
    CSmsSendLoadMag& operator=(const CSmsSendLoadMag& other);
    ~CSmsSendLoadMag();

    // Queues the packets of one send (behind a summary record for an
    // immediate send), clears `finished` and makes sure the sending and log
    // threads run; never waits for either. Returns 1; 0 for an empty vector,
    // which changes nothing.
    int addSendQueue(const std::vector<Dmg::QueueData>& packets);
    // Moves the oldest record into `out` and returns 1; 0 when empty, `out`
    // untouched.
    int getHead(Dmg::QueueData& out);
    // Empties the queue; `finished` stays as it is. Returns 1.
    int ClearAll();
    bool isEmpty();

    bool isFinished();
    void setFinished();

    // --- The hand-over with the worker threads (the queue's own code). ---

    enum class Worker { Sender, Logger };
    // Claims the worker's place for a thread about to start: false when one
    // is there already.
    bool claim(Worker worker);
    // Gives a claim back when the thread could not be started.
    void unclaim(Worker worker);
    // Service stop(): under the queue lock, both places are given up,
    // `finished` is set and `stopFlags` clears the threads' run flags, so a
    // stopped thread never records an end over a newer thread's start.
    template <typename StopFlags>
    void stopThreads(StopFlags stopFlags) {
        const Platform::CriticalSection::Guard guard(queueLock);
        senderPresent = false;
        loggerPresent = false;
        setFinished();
        stopFlags();
    }

    enum class Take { Packet, Stopped, Finished, OutcomesUnstored };
    // Sending thread: the oldest record, held (see unstoredIds) until its
    // outcome is stored; or Stopped when its run flag is clear; or, with the
    // queue empty, the end of the run is recorded in the same step (Finished)
    // so that a send added meanwhile starts a new sender. OutcomesUnstored:
    // the queue is empty but outcomes wait to be written; nothing recorded.
    // `unstoredOk` lets the run end with outcomes still unwritten.
    Take takeNext(Dmg::QueueData& out, const RunControl& control, bool unstoredOk);
    // Sending thread, when its run ends any other way (a callback threw):
    // the end is recorded unless the thread was stopped.
    void senderGone(const RunControl& control);
    // The sender's outcome of a taken packet: status 1 accepted, 0 failed,
    // and for an accepted timed packet the service's key of it, written
    // before the status.
    struct Outcome {
        int recordId = 0;
        int status = 0;
        std::string serviceKey;
    };
    // The outcome is stored in SQu.dll / could not be stored.
    void outcomeStored(int recordId);
    void outcomeUnstored(const Outcome& outcome);
    // A taken packet given up without an outcome (the thread was stopped
    // before the service's answer was known): it waits in SQu.dll.
    void leftWaiting(int recordId) { outcomeStored(recordId); }
    // The outcomes still to be written.
    std::vector<Outcome> unstoredOutcomes();
    // Record ids taken by the sender whose outcome is not in SQu.dll: the
    // packet being sent and those whose status could not be written.
    std::vector<int> unstoredIds();
    // Queue view: removes the queued packets with these record ids and
    // appends to `held` those the sender has taken (they stay in SQu.dll).
    // Returns how many were removed.
    int removeByRecordIds(const std::vector<int>& ids, std::vector<int>& held);

    // Log thread: may it end? Only when `finished` holds and no sender is
    // there; its place is then given up at once, before it reads the queue
    // file one last time, so a send added meanwhile starts a new log thread.
    bool loggerMayEnd(const RunControl& control);
    // Log thread, having found rows after loggerMayEnd: takes its place back
    // and goes on (true), unless it was stopped or a new log thread took the
    // place meanwhile (false: end; the new one moves them).
    bool loggerResumes(const RunControl& control);
    // Log thread, when its run ends any other way: the place is given up
    // unless the thread was stopped.
    void loggerGone(const RunControl& control);

    static CSmsSendLoadMag* ms_pInstance;

private:
    void setSenderEnded();
    bool& present(Worker worker) {
        return worker == Worker::Sender ? senderPresent : loggerPresent;
    }

    std::vector<Dmg::QueueData> queue;
    // Guards `queue`, the hand-over state below, and the writes of `finished`
    // made by addSendQueue. Recursive: getHead runs inside takeNext.
    mutable Platform::CriticalSection queueLock;
    // Guards `finished`.
    mutable Platform::CriticalSection finishedLock;
    // Set by the sender when it ends, by stop, by setFinished; cleared by
    // addSendQueue. Read by the log thread to decide when it may end.
    bool finished;

    // Under queueLock. Set by the service when it starts a sending thread
    // (claimSender); cleared by that thread when it finds the queue empty,
    // or by the service's stop. Read by the service and the log thread.
    bool senderPresent = false;
    // Under queueLock. The same for the log thread: set by the service,
    // cleared by the log thread when it may end, or by stop.
    bool loggerPresent = false;
    // Under queueLock. Written by the sending thread (a packet is taken:
    // status kSending; its outcome could not be stored: that outcome; stored:
    // gone), read by the queue view on the caller's thread.
    std::map<int, Outcome> unstored;
};

}  // namespace SMS
