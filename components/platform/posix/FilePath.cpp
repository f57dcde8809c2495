// POSIX names files by bytes: the library's paths pass through unchanged,
// except that a name cut short by a NUL byte is refused.
#include "contracts/platform/FilePath.h"

namespace Platform {

std::filesystem::path filePath(const std::string& path) {
    if (path.find('\0') != std::string::npos) return {};
    return std::filesystem::path(path);
}

std::string pathString(const std::filesystem::path& path) { return path.native(); }

std::string sqlitePath(const std::string& path) {
    return path.find('\0') == std::string::npos ? path : std::string();
}

std::FILE* openFile(const std::filesystem::path& name, const char* mode) {
    return name.empty() ? nullptr : std::fopen(name.c_str(), mode);
}

}  // namespace Platform
