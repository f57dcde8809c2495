// The journal's files on Win32 handles. Every file is opened sharing
// deletion, so that a rename may replace it while it is open.
#include "Files.h"

#include <windows.h>

namespace smsgw::files {

namespace {

HANDLE handleOf(Handle h) { return reinterpret_cast<HANDLE>(h); }

Handle opened(const std::string& path, DWORD access, DWORD disposition) {
    const HANDLE h = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? kNone : reinterpret_cast<Handle>(h);
}

}  // namespace

std::string lastError() {
    const DWORD code = GetLastError();
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text,
                   nullptr);
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s.empty() ? "error " + std::to_string(code) : s;
}

bool missing(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

Handle create(const std::string& path) { return opened(path, GENERIC_WRITE, CREATE_ALWAYS); }

Handle openToAppend(const std::string& path) {
    return opened(path, FILE_APPEND_DATA | SYNCHRONIZE, OPEN_EXISTING);
}

// No flush to the disk: once WriteFile returns the bytes are the system's,
// whatever happens to the process.
bool writeAll(Handle file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
        DWORD n = 0;
        if (!WriteFile(handleOf(file), bytes.data() + done, chunk, &n, nullptr) || n == 0) return false;
        done += n;
    }
    return true;
}

bool close(Handle file) { return CloseHandle(handleOf(file)) != 0; }

bool replace(const std::string& from, const std::string& to, Handle& open) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    // Where an open file cannot be replaced: closed, then tried again.
    if (open == kNone) return false;
    close(open);
    open = kNone;
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace smsgw::files
