// Whole-file locks on flock(). Its locks belong to the open file description,
// so two objects, each with its own open(), exclude each other even in one
// process.
#include "contracts/platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace Platform {

FileLock::FileLock(const std::string& path, Mode mode) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;
    int rc = 0;
    do {
        rc = ::flock(fd, (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        result_ = errno == EWOULDBLOCK ? Result::HeldByAnother : Result::CannotLock;
        ::close(fd);
        return;
    }
    file_ = fd;
    result_ = Result::Locked;
}

FileLock::~FileLock() {
    if (file_ >= 0) ::close(static_cast<int>(file_));
}

}  // namespace Platform
