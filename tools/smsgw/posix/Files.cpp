// The journal's files on POSIX descriptors.
#include "Files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace smsgw::files {

namespace {

int fdOf(Handle h) { return static_cast<int>(h); }

}  // namespace

std::string lastError() { return std::strerror(errno); }

bool missing(const std::string& path) { return ::access(path.c_str(), F_OK) != 0 && errno == ENOENT; }

Handle create(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return fd < 0 ? kNone : fd;
}

Handle openToAppend(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    return fd < 0 ? kNone : fd;
}

// No fsync: the simulator promises to survive a killed process, not a power
// cut, and once write(2) returns the bytes are the kernel's, whatever
// happens to the process.
bool writeAll(Handle file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fdOf(file), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool close(Handle file) { return ::close(fdOf(file)) == 0; }

bool replace(const std::string& from, const std::string& to, Handle&) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace smsgw::files
