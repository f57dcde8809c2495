// ChildProcess on posix_spawn and waitpid.
#include "tests/fakes/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace fakes {

namespace {

pid_t pidOf(std::intptr_t process) { return static_cast<pid_t>(process); }

int statusOf(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : ChildProcess::kNoExit; }

int flagsOf(const ChildProcess::Output& output) {
    return O_WRONLY | O_CREAT | (output.append ? O_APPEND : O_TRUNC);
}

}  // namespace

bool ChildProcess::start(const std::vector<std::string>& argv, const Output& out,
                         const Output& err) {
    kill();
    std::vector<std::string> args = argv;
    std::vector<char*> raw;
    for (auto& a : args) raw.push_back(a.data());
    raw.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, out.path.c_str(), flagsOf(out), 0644);
    posix_spawn_file_actions_addopen(&files, 2, err.path.c_str(), flagsOf(err), 0644);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, raw[0], &files, nullptr, raw.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0) return false;
    process_ = pid;
    status_ = kNoExit;
    return true;
}

bool ChildProcess::running() {
    int raw = 0;
    if (process_ > 0 && waitpid(pidOf(process_), &raw, WNOHANG) == pidOf(process_)) {
        status_ = statusOf(raw);
        reset();
    }
    return process_ > 0;
}

int ChildProcess::wait() {
    if (process_ <= 0) return status_;
    int raw = 0;
    pid_t ended;
    while ((ended = waitpid(pidOf(process_), &raw, 0)) < 0 && errno == EINTR) {
    }
    status_ = ended == pidOf(process_) ? statusOf(raw) : kNoExit;
    reset();
    return status_;
}

int ChildProcess::kill() {
    if (process_ > 0) ::kill(pidOf(process_), SIGKILL);
    return wait();
}

bool ChildProcess::interrupt() { return process_ > 0 && ::kill(pidOf(process_), SIGINT) == 0; }

bool ChildProcess::canInterrupt() { return true; }

bool ChildProcess::hasPosixShell() { return true; }

void ChildProcess::reset() { process_ = -1; }

}  // namespace fakes
