#include "queue/QueueHooks.h"

#include <mutex>

#include "contracts/base/NeverDestroyed.h"

namespace SMS {
namespace {

// Never destroyed: worker threads may pass a point while the process exits.
struct Hook {
    std::mutex mutex;  // guards fn: set by a test's thread, read by the workers
    std::function<void(QueuePoint)> fn;
};

Hook& hook() {
    static Base::NeverDestroyed<Hook> instance;
    return instance.get();
}

}  // namespace

void setQueueHook(std::function<void(QueuePoint)> fn) {
    const std::lock_guard<std::mutex> lock(hook().mutex);
    hook().fn = std::move(fn);
}

void queueHook(QueuePoint point) {
    std::function<void(QueuePoint)> fn;
    {
        const std::lock_guard<std::mutex> lock(hook().mutex);
        fn = hook().fn;
    }
    if (fn) fn(point);
}

}  // namespace SMS
