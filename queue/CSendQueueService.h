// Owns the two background threads of the send path (the sending thread and
// the log thread), starts them on demand, stops them; also holds a named
// event the caller can wait on and a one-shot birthday callback. The caller
// constructs the one service; the library reaches it through getSingleton().
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "contracts/base/CSingleton.h"
#include "contracts/export.h"
#include "contracts/platform/NamedEvent.h"
#include "queue/CLogMsgThread.h"
#include "queue/CSendMsgThread.h"
#include "send/CSmsSendStartInstance.h"  // boost::function, with GCC 12's false alarm silenced

class CSendQueueService;
SMS_SINGLETON_DECLARE(SMS_API, CSendQueueService)

class SMS_API CSendQueueService : public Base::CSingleton<CSendQueueService> {
public:
    CSendQueueService();
    // Stops both threads and closes the event. Safe from a callback on the
    // sending thread.
    virtual ~CSendQueueService();

    // Start the sending / log thread unless one is there to take the queue:
    // 1 started, 0 one is there. A thread that has already decided to end is
    // not waited for: it is kept aside until it has returned.
    int sendQueueData();
    int WriteSendLog();

    int isSendThreadActive();
    int isWriteThreadActive();
    // The log thread or the sending thread is active.
    int isActive();
    // Stops the log thread, then the sending thread, and destroys both. Waits
    // for each (a packet being sent is finished first) unless called on that
    // thread itself, from a callback: that one is only told to stop and ends
    // by itself. Returns 1.
    int stop();

    // Waits on the event for at most 300 ms.
    void waitforSendQueue();
    // Resets the event to non-signalled.
    void wakeupLogThread();
    // Calls birthdayFun the first time only.
    void callBirthdayFun();

    // Whether the log thread runs, without the trace lines of
    // isWriteThreadActive.
    bool logThreadRunning() const;

    boost::function<void()> birthdayFun;

protected:
    // Destroys both thread objects (which waits for their threads).
    void clear();

private:
    using Thread = std::unique_ptr<Base::BaseNativeThread>;
    // Keeps a replaced thread object until its thread has returned, and
    // drops those that have.
    void retire(Thread thread);

    // Guards the thread objects: the caller's thread starts and stops them,
    // a callback on the sending thread may stop them too. Never held while
    // waiting for a thread.
    mutable std::recursive_mutex threadsMutex;
    std::unique_ptr<CSendMsgThread> sendThread;
    std::unique_ptr<CLogMsgThread> logThread;
    std::unique_ptr<Platform::NamedEvent> queueEvent;
    bool birthdayCalled = false;
    // Replaced threads that had decided to end but had not yet returned.
    std::vector<Thread> retired;
};
