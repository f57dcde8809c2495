#include "Journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <sstream>

namespace smsgw {

namespace {

// No fsync: the simulator promises to survive a killed process, not a power
// cut, and once write(2) returns the bytes are the kernel's, whatever
// happens to the process.
bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string lineOf(const nlohmann::json& record) { return record.dump() + '\n'; }

}  // namespace

Journal::~Journal() {
    if (fd_ >= 0) ::close(fd_);
    if (lockFd_ >= 0) ::close(lockFd_);
}

bool Journal::replay(const std::string& path,
                     const std::function<void(const nlohmann::json&)>& apply, std::string& error) {
    path_ = path;
    const std::string lock = path + ".lock";
    lockFd_ = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lockFd_ < 0 || ::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        error = "cannot lock " + lock + " (another smsgw on this state file?): " +
                std::strerror(errno);
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (::access(path.c_str(), F_OK) != 0 && errno == ENOENT) return true;
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    std::size_t start = 0, number = 1;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1, ++number) {
        try {
            apply(nlohmann::json::parse(text.begin() + static_cast<std::ptrdiff_t>(start),
                                        text.begin() + static_cast<std::ptrdiff_t>(end)));
        } catch (const std::exception& e) {
            error = path + ": line " + std::to_string(number) + " is damaged: " + e.what();
            return false;
        }
    }
    return true;
}

bool Journal::rewrite(const std::vector<nlohmann::json>& records, std::string& error) {
    std::string bytes;
    for (const auto& r : records) bytes += lineOf(r);
    const std::string temporary = path_ + ".tmp";
    const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool written = out >= 0 && writeAll(out, bytes);
    if (out >= 0 && ::close(out) != 0) error = std::strerror(errno);
    if (!written || !error.empty() || std::rename(temporary.c_str(), path_.c_str()) != 0) {
        error = "cannot write " + temporary + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    const int appendTo = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (appendTo < 0) {
        error = "cannot open " + path_ + ": " + std::strerror(errno);
        return false;
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = appendTo;
    appended_ = 0;
    rewritten_ = records.size();
    return true;
}

bool Journal::append(const nlohmann::json& record) {
    if (fd_ < 0 || !writeAll(fd_, lineOf(record))) return false;
    ++appended_;
    return true;
}

}  // namespace smsgw
