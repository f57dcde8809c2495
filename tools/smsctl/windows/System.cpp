#include "tools/smsctl/System.h"

// windows.h first: shellapi.h needs its types.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "contracts/platform/CodePage.h"
#include "tools/smsctl/Errors.h"
#include "tools/smsctl/Terminal.h"

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

// The roaming application data folder, as Windows programs keep theirs;
// read wide, since the ANSI environment loses what its code page cannot hold.
std::string defaultUserDir() {
    const wchar_t* const appData = _wgetenv(L"APPDATA");
    if (appData == nullptr || *appData == L'\0') {
        throw UsageError(u8"APPDATA is not set: give --user-dir");
    }
    std::string gbk;
    if (!Platform::wideToGbk(appData, gbk)) {
        throw UsageError(u8"APPDATA names a folder GBK cannot write: give --user-dir");
    }
    return gbk + "\\smsctl";
}

// The library's paths are GBK on Windows.
std::string libraryPath(const std::string& given, const std::string& what) {
    return toGbk(given, what);
}

std::string shownPath(const std::string& path) { return toUtf8(path); }

namespace {

std::string toUtf8(const wchar_t* wide) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, out.data(), size, nullptr, nullptr);
    out.pop_back();  // the terminating NUL
    return out;
}

}  // namespace

std::vector<std::string> utf8Arguments(int /*argc*/, char** /*argv*/) {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> wide(
        CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    std::vector<std::string> out;
    if (!wide) return out;
    for (int i = 1; i < count; ++i) out.push_back(toUtf8(wide.get()[i]));
    return out;
}

void prepareConsole() {
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace smsctl
