// ChildProcess on CreateProcessW: the arguments quoted into one command line
// as the C runtime splits it again, and only the three redirected handles
// inherited.
#include "tests/fakes/ChildProcess.h"

#include <windows.h>

#include <string>
#include <vector>

namespace fakes {

namespace {

HANDLE handleOf(std::intptr_t process) { return reinterpret_cast<HANDLE>(process); }

std::wstring widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

// One argument as the C runtime reads it back: quoted when it is empty or
// holds blanks or quotes; backslashes doubled only before a quote.
std::wstring quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, L'\\');
    return out + L"\"";
}

std::wstring commandLine(const std::vector<std::string>& argv) {
    std::wstring line;
    for (const auto& a : argv) line += (line.empty() ? L"" : L" ") + quoted(widen(a));
    return line;
}

// An inheritable handle, closed with the object; `path` in the ANSI code
// page, as the C runtime's fopen() takes it.
class Inherited {
public:
    Inherited(const std::string& path, DWORD access, DWORD disposition) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        handle_ = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    static Inherited output(const ChildProcess::Output& o) {
        // FILE_APPEND_DATA alone: every write goes to the end, as O_APPEND.
        return o.append ? Inherited(o.path, FILE_APPEND_DATA | SYNCHRONIZE, OPEN_ALWAYS)
                        : Inherited(o.path, GENERIC_WRITE, CREATE_ALWAYS);
    }
    ~Inherited() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    Inherited(const Inherited&) = delete;  // returned by value only where copies are elided
    Inherited& operator=(const Inherited&) = delete;

    HANDLE get() const { return handle_; }
    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Starts `line` with `handles` as its stdin, stdout and stderr, and no other
// handle inherited; the process handle, or nullptr.
HANDLE spawn(std::wstring line, HANDLE (&handles)[3]) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> storage(size);
    const auto attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
    if (!InitializeProcThreadAttributeList(attributes, 1, 0, &size)) return nullptr;
    STARTUPINFOEXW info{};
    info.StartupInfo.cb = sizeof info;
    info.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    info.StartupInfo.hStdInput = handles[0];
    info.StartupInfo.hStdOutput = handles[1];
    info.StartupInfo.hStdError = handles[2];
    info.lpAttributeList = attributes;
    PROCESS_INFORMATION started{};
    const bool ok =
        UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles, sizeof handles,
                                  nullptr, nullptr) &&
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, EXTENDED_STARTUPINFO_PRESENT, nullptr,
                       nullptr, &info.StartupInfo, &started);
    DeleteProcThreadAttributeList(attributes);
    if (!ok) return nullptr;
    CloseHandle(started.hThread);
    return started.hProcess;
}

}  // namespace

bool ChildProcess::start(const std::vector<std::string>& argv, const Output& out, const Output& err) {
    kill();
    if (argv.empty()) return false;
    const Inherited in("NUL", GENERIC_READ, OPEN_EXISTING);
    const Inherited stdOut = Inherited::output(out), stdErr = Inherited::output(err);
    if (!in.ok() || !stdOut.ok() || !stdErr.ok()) return false;
    HANDLE handles[3] = {in.get(), stdOut.get(), stdErr.get()};
    const HANDLE process = spawn(commandLine(argv), handles);
    if (process == nullptr) return false;
    process_ = reinterpret_cast<std::intptr_t>(process);
    status_ = kNoExit;
    return true;
}

bool ChildProcess::running() {
    if (process_ != -1 && WaitForSingleObject(handleOf(process_), 0) == WAIT_OBJECT_0) wait();
    return process_ != -1;
}

int ChildProcess::wait() {
    if (process_ == -1) return status_;
    DWORD code = 0;
    const bool ended = WaitForSingleObject(handleOf(process_), INFINITE) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(handleOf(process_), &code);
    status_ = ended ? static_cast<int>(code) : kNoExit;
    reset();
    return status_;
}

int ChildProcess::kill() {
    if (process_ == -1) return status_;
    // Fails for a process that has already ended: its own status stands.
    const bool killed = TerminateProcess(handleOf(process_), 1) != 0;
    wait();
    if (killed) status_ = kNoExit;
    return status_;
}

// GenerateConsoleCtrlEvent reaches only processes sharing the caller's console.
bool ChildProcess::interrupt() { return false; }

bool ChildProcess::canInterrupt() { return false; }

bool ChildProcess::hasPosixShell() { return false; }

void ChildProcess::reset() {
    if (process_ != -1) CloseHandle(handleOf(process_));
    process_ = -1;
}

}  // namespace fakes
