#include "tools/smsctl/System.h"

#include <system_error>

namespace smsctl {

std::filesystem::path executablePath() {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec);
}

}  // namespace smsctl
