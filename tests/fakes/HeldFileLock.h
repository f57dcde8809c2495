// A whole-file lock a test holds as another process would: flock() on POSIX,
// LockFileEx() on Windows, the locks the platform layer takes, never waiting.
#pragma once

#include <cstdint>
#include <string>

namespace fakes {

class HeldFileLock {
public:
    enum class Mode { Shared, Exclusive };
    HeldFileLock(const std::string& path, Mode mode);  // creates a missing file
    ~HeldFileLock();
    HeldFileLock(const HeldFileLock&) = delete;
    HeldFileLock& operator=(const HeldFileLock&) = delete;

    bool locked() const { return file_ != -1; }

private:
    std::intptr_t file_ = -1;  // a descriptor or a handle while locked
};

}  // namespace fakes
