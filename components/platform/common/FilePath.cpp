// What both systems' file names share, built on the per-system conversions.
#include "contracts/platform/FilePath.h"

#include <system_error>

namespace Platform {

std::string canonicalPath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(filePath(path), ec);
    const std::string name = ec ? std::string() : pathString(canonical);
    return name.empty() ? path : name;
}

}  // namespace Platform
