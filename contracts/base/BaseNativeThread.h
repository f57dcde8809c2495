// A worker thread object. Derived classes override threadProc_; the run flag
// tells a looping threadProc_ when to end. stop() clears the flag and waits
// for the thread, unless called from the thread itself.
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
    // Stops the thread. A derived class whose threadProc_ uses its own state
    // must call stop() in its own destructor.
    virtual ~BaseNativeThread();

    // Sets the run flag and starts threadProc_ on a new thread. Returns false
    // when the thread is already active or cannot be started.
    virtual bool start();
    // Clears the run flag and joins the thread (detaches when called from it).
    virtual void stop();

    // True from start() until threadProc_ has returned.
    bool isActive() const;

protected:
    // The thread's body. The base version does nothing and returns 0.
    virtual int threadProc_();

    // The run flag: set by start(), cleared by stop() or by threadProc_.
    std::atomic<bool> m_bRun;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace Base
