// Whole-file locks on LockFileEx over every byte offset. Locks belong to the
// handle, so two objects, each with its own handle, exclude each other even
// in one process.
#include "contracts/platform/FileLock.h"

#include <windows.h>

#include "contracts/platform/CodePage.h"

namespace Platform {
namespace {

HANDLE handleOf(std::intptr_t file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

FileLock::FileLock(const std::string& path, Mode mode) {
    std::wstring widePath;
    if (!gbkToWide(path, widePath)) return;
    const HANDLE h = CreateFileW(widePath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    OVERLAPPED at{};  // from offset 0
    const DWORD flags =
        LOCKFILE_FAIL_IMMEDIATELY | (mode == Mode::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (!LockFileEx(h, flags, 0, MAXDWORD, MAXDWORD, &at)) {
        const DWORD error = GetLastError();
        result_ = error == ERROR_LOCK_VIOLATION ? Result::HeldByAnother : Result::CannotLock;
        CloseHandle(h);
        return;
    }
    file_ = reinterpret_cast<std::intptr_t>(h);
    result_ = Result::Locked;
}

FileLock::~FileLock() {
    if (file_ == -1) return;
    OVERLAPPED at{};
    UnlockFileEx(handleOf(file_), 0, MAXDWORD, MAXDWORD, &at);
    CloseHandle(handleOf(file_));
}

}  // namespace Platform
