// Keeps two runs on one user folder from sending the same queued packet. A
// run that sends holds the folder's queue.lock shared, so several may send at
// once (each sends only the packets it queued). A run that takes over the
// waiting packets of the folder (queue resume, queue delete) holds it alone:
// it is refused while another run sends, and a send is refused while it runs.
// The system drops the lock of a run that dies.
#pragma once

#include <string>

#include "contracts/platform/FileLock.h"

namespace smsctl {

class QueueLock {
public:
    enum class Mode { kSending, kTakingOver };

    // Throws Failure when another run holds the lock the other way.
    QueueLock(const std::string& userDir, Mode mode);
    ~QueueLock();
    QueueLock(const QueueLock&) = delete;
    QueueLock& operator=(const QueueLock&) = delete;

private:
    const std::string path_;
    Platform::FileLock lock_;
};

}  // namespace smsctl
