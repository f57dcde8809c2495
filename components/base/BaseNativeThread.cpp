#include "contracts/base/BaseNativeThread.h"

#include <exception>
#include <mutex>
#include <string>
#include <thread>

#include "contracts/base/CLog.h"

namespace Base {

struct BaseNativeThread::Impl {
    std::mutex mutex;      // guards thread and threadId
    std::mutex joinMutex;  // makes every outside stop() wait for the join
    std::thread thread;
    std::thread::id threadId;
    // Shared with the running thread, which touches nothing else of this
    // object after threadProc_ returns (it may have been detached by then).
    std::shared_ptr<std::atomic<bool>> active = std::make_shared<std::atomic<bool>>(false);
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

BaseNativeThread::BaseNativeThread() : m_bRun(false), impl_(std::make_unique<Impl>()) {}

BaseNativeThread::BaseNativeThread(const BaseNativeThread&) : BaseNativeThread() {}

BaseNativeThread& BaseNativeThread::operator=(const BaseNativeThread& other) {
    // Threads are not copied; the target ends up idle so its state can be assigned safely.
    if (this != &other) stop();
    return *this;
}

BaseNativeThread::~BaseNativeThread() { stop(); }

bool BaseNativeThread::start() {
    const std::lock_guard<std::mutex> lock(impl_->mutex);
    if (*impl_->active) return false;
    // threadProc_ of the previous run has returned; only its exit remains.
    if (impl_->thread.joinable()) impl_->thread.join();

    m_bRun = true;
    *impl_->active = true;  // before launch: no window where a started thread looks idle
    try {
        impl_->thread = std::thread([this, active = impl_->active] {
            runGuarded([this] { return threadProc_(); });
            *active = false;
        });
        impl_->threadId = impl_->thread.get_id();
        return true;
    } catch (...) {
        *impl_->active = false;
        m_bRun = false;
        return false;
    }
}

void BaseNativeThread::stop() {
    m_bRun = false;
    {
        const std::lock_guard<std::mutex> lock(impl_->mutex);
        if (impl_->threadId == std::this_thread::get_id()) {
            // Called by threadProc_ itself: it cannot join itself.
            if (impl_->thread.joinable()) impl_->thread.detach();
            return;
        }
    }
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

bool BaseNativeThread::isActive() const { return *impl_->active; }

int BaseNativeThread::threadProc_() { return 0; }

}  // namespace Base
