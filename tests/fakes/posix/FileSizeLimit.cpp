#include "tests/fakes/FileSizeLimit.h"

#include <sys/resource.h>

#include <csignal>

namespace fakes {

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
    saved_ = limit.rlim_cur;
    limit.rlim_cur = bytes;
    handler_ = std::signal(SIGXFSZ, SIG_IGN);  // a failed write, not the end of the process
    lowered_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    if (!lowered_) std::signal(SIGXFSZ, handler_);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    if (!lowered_ || getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
    limit.rlim_cur = saved_;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, handler_);
}

bool FileSizeLimit::supported() { return true; }

}  // namespace fakes
