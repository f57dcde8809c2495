// Windows names files in UTF-16: the library's GBK paths are converted with
// the code-page functions, never by the C library or std::filesystem (which
// would read the bytes as the ANSI code page or UTF-8 and name another file).
// A NUL byte would cut the name short, so it is refused like invalid GBK.
#include "contracts/platform/FilePath.h"

#include <utility>

#include "contracts/platform/CodePage.h"

namespace Platform {

std::filesystem::path filePath(const std::string& path) {
    std::wstring wide;
    if (path.find('\0') != std::string::npos || !gbkToWide(path, wide)) return {};
    return std::filesystem::path(std::move(wide));
}

std::string pathString(const std::filesystem::path& path) {
    std::string gbk;
    if (!wideToGbk(path.native(), gbk)) return {};
    return gbk;
}

std::string sqlitePath(const std::string& path) {
    std::string utf8;
    if (path.find('\0') != std::string::npos || !gbkToUtf8(path, utf8)) return {};
    return utf8;
}

std::FILE* openFile(const std::filesystem::path& name, const char* mode) {
    if (name.empty()) return nullptr;
    const std::string narrowMode(mode);
    const std::wstring wideMode(narrowMode.begin(), narrowMode.end());
    return _wfopen(name.c_str(), wideMode.c_str());
}

}  // namespace Platform
