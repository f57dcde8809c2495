// While alive, a write that would make any file of this process larger than
// a limit fails part-way, as on a full disk (RLIMIT_FSIZE, its signal
// ignored). Windows has no such limit: supported() is false and nothing
// changes there.
#pragma once

#include <cstdint>

namespace fakes {

class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    static bool supported();

private:
    std::uint64_t saved_ = 0;  // the limit before
    void (*handler_)(int) = nullptr;
    bool lowered_ = false;
};

}  // namespace fakes
