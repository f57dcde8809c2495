#include "tools/smsctl/System.h"

#include <cstdlib>
#include <system_error>

#include "tools/smsctl/Errors.h"

namespace smsctl {

std::filesystem::path executablePath() {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec);
}

std::string defaultUserDir() {
    const char* const xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && *xdg == '/') return std::string(xdg) + "/smsctl";
    const char* const home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        throw UsageError(u8"neither XDG_DATA_HOME nor HOME is set: give --user-dir");
    }
    return std::string(home) + "/.local/share/smsctl";
}

// The system takes the bytes the terminal gave.
std::string libraryPath(const std::string& given, const std::string& /*what*/) { return given; }

std::string shownPath(const std::string& path) { return path; }

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void prepareConsole() {}

}  // namespace smsctl
