#include "tools/smsctl/System.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

#include "tools/smsctl/Errors.h"

namespace smsctl {

std::filesystem::path executablePath() {
    // Long paths need more than MAX_PATH: grow until the name fits.
    std::vector<wchar_t> name(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (n == 0) return {};
        if (n < name.size()) return std::filesystem::path(std::wstring(name.data(), n));
        name.resize(name.size() * 2);
    }
}

// The roaming application data folder, as Windows programs keep theirs.
std::string defaultUserDir() {
    const char* const appData = std::getenv("APPDATA");
    if (appData == nullptr || *appData == '\0') {
        throw UsageError(u8"APPDATA is not set: give --user-dir");
    }
    return std::string(appData) + "\\smsctl";
}

}  // namespace smsctl
