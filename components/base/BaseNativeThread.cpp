#include "contracts/base/BaseNativeThread.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

#include "contracts/base/CLog.h"

namespace Base {

struct BaseNativeThread::Impl {
    // Guards thread, threadId and self; the run flag changes under it too, so
    // a pause cannot miss its wake-up.
    std::mutex mutex;
    std::condition_variable wake;  // notified when the run flag is cleared
    std::mutex joinMutex;          // makes every outside stop() wait for the join
    std::thread thread;
    std::thread::id threadId;
    // Set by disown() on the owner's side, taken by the thread when
    // threadProc_ has returned.
    std::unique_ptr<BaseNativeThread> self;
    // Set by start(), cleared by the thread after threadProc_; read anywhere.
    std::atomic<bool> active{false};
};

namespace {

template <typename Body>
void runGuarded(Body&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        CLog::getSingleton().writeMessage(
            std::string("BaseNativeThread: threadProc_ ended by exception: ") + e.what(), 2);
    } catch (...) {
        CLog::getSingleton().writeMessage("BaseNativeThread: threadProc_ ended by unknown exception", 2);
    }
}

}  // namespace

BaseNativeThread::BaseNativeThread() : m_bRun(false), impl_(std::make_shared<Impl>()) {}

BaseNativeThread::BaseNativeThread(const BaseNativeThread&) : BaseNativeThread() {}

BaseNativeThread& BaseNativeThread::operator=(const BaseNativeThread& other) {
    // Threads are not copied; the target ends up idle so its state can be assigned safely.
    if (this != &other) stop();
    return *this;
}

BaseNativeThread::~BaseNativeThread() {
    stop();
    // Only when destroyed on its own thread is it still joinable; it cannot
    // be waited for there.
    const std::lock_guard<std::mutex> lock(impl_->mutex);
    if (impl_->thread.joinable()) impl_->thread.detach();
}

bool BaseNativeThread::start() {
    const std::lock_guard<std::mutex> lock(impl_->mutex);
    if (impl_->active) return false;
    // threadProc_ of the previous run has returned; only its exit remains.
    if (impl_->thread.joinable()) impl_->thread.join();

    m_bRun = true;
    impl_->active = true;  // before launch: no window where a started thread looks idle
    try {
        impl_->thread = std::thread([this, impl = impl_] {
            runGuarded([this] { return threadProc_(); });
            std::unique_ptr<BaseNativeThread> self;
            {
                const std::lock_guard<std::mutex> guard(impl->mutex);
                self = std::move(impl->self);
                if (self) impl->thread.detach();
                impl->active = false;
            }
            // A disowned object ends with its thread; its stop() sees its own
            // thread and does not wait.
            self.reset();
        });
        impl_->threadId = impl_->thread.get_id();
        return true;
    } catch (...) {
        impl_->active = false;
        m_bRun = false;
        return false;
    }
}

void BaseNativeThread::requestStop() {
    {
        const std::lock_guard<std::mutex> lock(impl_->mutex);
        m_bRun = false;
    }
    impl_->wake.notify_all();
}

void BaseNativeThread::stop() {
    requestStop();
    if (isCurrentThread()) return;
    const std::lock_guard<std::mutex> joinLock(impl_->joinMutex);
    std::thread finished;
    {
        const std::lock_guard<std::mutex> lock(impl_->mutex);
        finished = std::move(impl_->thread);
    }
    if (!finished.joinable()) return;
    // threadId stays set during the join, so a stop() from the thread itself
    // is still recognised and does not wait for joinMutex.
    const std::thread::id joined = finished.get_id();
    finished.join();
    const std::lock_guard<std::mutex> lock(impl_->mutex);
    if (impl_->threadId == joined) impl_->threadId = std::thread::id();
}

bool BaseNativeThread::isActive() const { return impl_->active; }

bool BaseNativeThread::isCurrentThread() const {
    const std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->threadId == std::this_thread::get_id();
}

void BaseNativeThread::disown(std::unique_ptr<BaseNativeThread> thread) {
    if (!thread) return;
    thread->requestStop();
    const std::shared_ptr<Impl> impl = thread->impl_;
    {
        const std::lock_guard<std::mutex> lock(impl->mutex);
        if (impl->active) {
            impl->self = std::move(thread);
            return;
        }
    }
    thread.reset();  // threadProc_ has returned: the usual join is short
}

bool BaseNativeThread::pauseWhileRunning(unsigned long ms) {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    impl_->wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !m_bRun; });
    return m_bRun;
}

int BaseNativeThread::threadProc_() { return 0; }

}  // namespace Base
