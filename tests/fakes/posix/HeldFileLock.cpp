#include "tests/fakes/HeldFileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace fakes {

HeldFileLock::HeldFileLock(const std::string& path, Mode mode) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;
    if (::flock(fd, (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    file_ = fd;
}

HeldFileLock::~HeldFileLock() {
    if (file_ != -1) ::close(static_cast<int>(file_));
}

}  // namespace fakes
