#include "tests/fakes/HeldFileLock.h"

#include <windows.h>

namespace fakes {

namespace {

HANDLE handleOf(std::intptr_t file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

HeldFileLock::HeldFileLock(const std::string& path, Mode mode) {
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    OVERLAPPED from{};  // offset 0, every byte
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (mode == Mode::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (!LockFileEx(h, flags, 0, MAXDWORD, MAXDWORD, &from)) {
        CloseHandle(h);
        return;
    }
    file_ = reinterpret_cast<std::intptr_t>(h);
}

HeldFileLock::~HeldFileLock() {
    if (file_ == -1) return;
    OVERLAPPED from{};
    UnlockFileEx(handleOf(file_), 0, MAXDWORD, MAXDWORD, &from);
    CloseHandle(handleOf(file_));
}

}  // namespace fakes
