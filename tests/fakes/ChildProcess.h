// A program started by a test: stdin from the null device, stdout and stderr
// to files, waited for, interrupted or killed. One object per process; it
// kills a process still running when it goes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fakes {

class ChildProcess {
public:
    struct Output {
        std::string path;
        bool append = false;  // else the file starts empty
    };
    static constexpr int kNoExit = -1;  // killed, or ended by a signal

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&&) = delete;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Runs argv[0] (a path) with the rest of `argv` as its arguments, given
    // as a POSIX terminal passes them (UTF-8). False when it cannot start.
    bool start(const std::vector<std::string>& argv, const Output& out, const Output& err);
    // False once it has ended (or never started).
    bool running();
    // Waits for the end; the status it exited with, or kNoExit.
    int wait();
    // Ends it at once (SIGKILL, TerminateProcess) and waits; as wait().
    int kill();
    // Asks it to stop as Ctrl-C does; false where the OS cannot (Windows, for
    // a process without a console of its own).
    bool interrupt();
    static bool canInterrupt();
    // Whether std::system() runs a POSIX shell, with its pipes and tools.
    static bool hasPosixShell();

private:
    void reset();

    std::intptr_t process_ = -1;  // a pid or a process handle; -1 for none
    int status_ = kNoExit;        // once it has ended
};

}  // namespace fakes
