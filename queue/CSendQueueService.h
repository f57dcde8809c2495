// Owns the two background threads of the send path (the sending thread and
// the log thread), starts them on demand, stops them; also holds a named
// event the caller can wait on and a one-shot birthday callback. The caller
// constructs the one service; the library reaches it through getSingleton().
#pragma once

#include <memory>

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
    // Stops both threads and closes the event.
    virtual ~CSendQueueService();

    // Start the sending / log thread unless it is active: 1 started, 0 active.
    int sendQueueData();
    int WriteSendLog();

    int isSendThreadActive();
    int isWriteThreadActive();
    // The log thread or the sending thread is active.
    int isActive();
    // Stops the log thread, then the sending thread (each waits for its
    // thread), and destroys both. Returns 1.
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
    std::unique_ptr<CSendMsgThread> sendThread;
    std::unique_ptr<CLogMsgThread> logThread;
    std::unique_ptr<Platform::NamedEvent> queueEvent;
    bool birthdayCalled = false;
};
