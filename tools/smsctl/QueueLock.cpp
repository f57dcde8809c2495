#include "tools/smsctl/QueueLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "tools/smsctl/Errors.h"

namespace smsctl {

QueueLock::QueueLock(const std::string& userDir, Mode mode) {
    const std::string path = userDir + "/queue.lock";
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) throw Failure(u8"cannot open " + path);
    const bool sending = mode == Mode::kSending;
    int result = 0;
    do {
        result = ::flock(fd_, (sending ? LOCK_SH : LOCK_EX) | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) return;
    const int error = errno;
    ::close(fd_);
    if (error != EWOULDBLOCK) throw Failure(u8"cannot lock " + path);
    throw Failure(sending ? u8"another smsctl is resuming or deleting the queue of this user "
                            u8"folder; send when it has finished"
                          : u8"another smsctl is sending from this user folder; resume or delete "
                            u8"queued packets when it has finished");
}

QueueLock::~QueueLock() { ::close(fd_); }

}  // namespace smsctl
