// An advisory lock on a whole file, held from construction to destruction.
// Any number of shared locks or one exclusive lock, whether held by objects
// of this process or of others; the OS drops the locks of a process that
// dies. On Windows the lock also bars other handles from the file's bytes,
// so lock a file kept for locking only.
#pragma once

#include <cstdint>
#include <string>

#include "contracts/export.h"

namespace Platform {

class PLATFORM_API FileLock {
public:
    enum class Mode { Shared, Exclusive };
    enum class Result { Locked, HeldByAnother, CannotOpen, CannotLock };

    // Opens `path` (GBK bytes), creating it if missing, and tries to lock it
    // without waiting.
    FileLock(const std::string& path, Mode mode);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    Result result() const { return result_; }
    bool locked() const { return result_ == Result::Locked; }

private:
    // The open file while locked: a descriptor or a handle; -1 for none.
    std::intptr_t file_ = -1;
    Result result_ = Result::CannotOpen;
};

}  // namespace Platform
