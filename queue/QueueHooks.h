// Points where a test holds a worker thread of the queue to force one
// particular interleaving with another thread. Nothing is called unless a
// test has set a hook; tests set it before the threads start and clear it
// after they have ended.
#pragma once

#include <functional>

#include "contracts/export.h"

namespace SMS {

enum class QueuePoint {
    SenderEnding,        // sending thread, queue lock held, the queue found empty
    SenderReturning,     // sending thread, its run over, before an end not yet
                         // recorded is recorded
    LoggerLastRead,      // log thread, its place given up, databases open,
                         // before its last read
    LoggerWaitsForPass,  // log thread, before it waits for another log
                         // thread's pass to end
};

SMS_API void setQueueHook(std::function<void(QueuePoint)> hook);
void queueHook(QueuePoint point);

}  // namespace SMS
