// A worker thread object. Derived classes override threadProc_; the run flag
// tells a looping threadProc_ when to end. stop() clears the flag, cuts a
// pause short and waits for the thread, unless called from the thread itself.
#pragma once

#include <atomic>
#include <memory>

#include "contracts/export.h"

namespace Base {

class BASE_API BaseNativeThread {
public:
    BaseNativeThread();
    // A copy is a new, idle thread object: threads themselves are not copied.
    BaseNativeThread(const BaseNativeThread&);
    BaseNativeThread& operator=(const BaseNativeThread&);
    // Stops the thread and waits for it. A derived class whose threadProc_
    // uses its own state must call stop() in its own destructor. An owner
    // running on the thread itself cannot wait for it: it uses disown().
    virtual ~BaseNativeThread();

    // Sets the run flag and starts threadProc_ on a new thread. Returns false
    // when the thread is already active or cannot be started.
    virtual bool start();
    // Clears the run flag and waits for the thread. From the thread itself it
    // only clears the flag: a thread never waits for itself.
    virtual void stop();

    // Clears the run flag and wakes a pause, without waiting.
    void requestStop();
    // True from start() until threadProc_ has returned.
    bool isActive() const;
    // True when called on this object's own thread.
    bool isCurrentThread() const;

    // For an owner that runs on the object's own thread (a callback that
    // stops the service owning it): the run flag is cleared and the object
    // is destroyed by its thread once threadProc_ has returned, so nothing
    // is freed while it still runs. A thread that is not running is
    // destroyed at once.
    static void disown(std::unique_ptr<BaseNativeThread> thread);

protected:
    // The thread's body. The base version does nothing and returns 0.
    virtual int threadProc_();

    // Sleeps up to `ms` milliseconds; returns early once the run flag is
    // cleared by stop() or requestStop(). Returns whether the flag is set.
    bool pauseWhileRunning(unsigned long ms);

    // The run flag: set by start(), cleared by stop(), requestStop() or by
    // threadProc_ itself; read by threadProc_.
    std::atomic<bool> m_bRun;

private:
    struct Impl;
    // Shared with the running thread, which uses only this after threadProc_
    // returns (the object may be gone by then).
    std::shared_ptr<Impl> impl_;
};

}  // namespace Base
