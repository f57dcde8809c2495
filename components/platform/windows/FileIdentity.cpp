// File identity from GetFileInformationByHandle: volume serial number and
// file index.
#include "contracts/platform/FileIdentity.h"

#include <windows.h>

#include "contracts/platform/CodePage.h"

namespace Platform {

bool identifyFile(const std::string& path, FileIdentity& out) {
    std::wstring widePath;
    if (!gbkToWide(path, widePath)) return false;
    // Attributes only, sharing everything, so open files and folders
    // (backup semantics) can be identified too.
    const HANDLE h = CreateFileW(widePath.c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(h, &info) != FALSE;
    CloseHandle(h);
    if (!ok) return false;
    out.volume = info.dwVolumeSerialNumber;
    out.file = static_cast<unsigned long long>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    return true;
}

}  // namespace Platform
