// What a worker thread of the queue gives the code it runs: whether it should
// go on, and a pause that stopping the thread cuts short.
#pragma once

namespace SMS {

class RunControl {
public:
    // False once the thread was asked to stop.
    virtual bool running() const = 0;
    // Sleeps up to `ms`; returns early, false, once the thread is stopped.
    virtual bool pause(unsigned long ms) = 0;

protected:
    ~RunControl() = default;
};

// The run flag and the stoppable pause of a Base::BaseNativeThread; the
// thread class befriends it.
template <typename Thread>
class ThreadControl final : public RunControl {
public:
    explicit ThreadControl(Thread& thread) : thread_(thread) {}
    bool running() const override { return thread_.m_bRun; }
    bool pause(unsigned long ms) override { return thread_.pauseWhileRunning(ms); }

private:
    Thread& thread_;
};

}  // namespace SMS
