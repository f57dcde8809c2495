#include "tools/smsctl/QueueLock.h"

#include "tools/smsctl/Errors.h"
#include "tools/smsctl/System.h"

namespace smsctl {

namespace {

Platform::FileLock::Mode lockMode(QueueLock::Mode mode) {
    return mode == QueueLock::Mode::kSending ? Platform::FileLock::Mode::Shared
                                             : Platform::FileLock::Mode::Exclusive;
}

}  // namespace

QueueLock::QueueLock(const std::string& userDir, Mode mode)
    : path_(userDir + "/queue.lock"), lock_(path_, lockMode(mode)) {
    const std::string& path = path_;
    const bool sending = mode == Mode::kSending;
    switch (lock_.result()) {
    case Platform::FileLock::Result::Locked:
        return;
    case Platform::FileLock::Result::CannotOpen:
        throw Failure(u8"cannot open " + shownPath(path));
    case Platform::FileLock::Result::CannotLock:
        throw Failure(u8"cannot lock " + shownPath(path));
    case Platform::FileLock::Result::HeldByAnother:
        break;
    }
    throw Failure(sending ? u8"another smsctl is resuming or deleting the queue of this user "
                            u8"folder; send when it has finished"
                          : u8"another smsctl is sending from this user folder; resume or delete "
                            u8"queued packets when it has finished");
}

QueueLock::~QueueLock() = default;

}  // namespace smsctl
