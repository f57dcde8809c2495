// Runs this program again as a child that works in a temporary folder and
// ends with whatever is still busy; the parent checks that the child exited
// with status 0 and removes the folder, even after a crash.
#pragma once

#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "tests/fakes/TempDir.h"

extern char** environ;

namespace exittest {

// Parent side: runs `self` with the folder as its one argument, then
// `check(folder)`. Returns the exit status of the test.
inline int runChild(const char* self, const std::function<bool(const std::string&)>& check) {
    const fakes::TempDir dir;
    std::string folder = dir.path();
    char* const argv[] = {const_cast<char*>(self), folder.data(), nullptr};
    pid_t pid = 0;
    int status = 0;
    if (::posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv, environ) != 0 ||
        ::waitpid(pid, &status, 0) != pid) {
        std::perror("spawn");
        return 1;
    }
    if (WIFSIGNALED(status)) {
        std::printf("child ended by signal %d (%s)\n", WTERMSIG(status), strsignal(WTERMSIG(status)));
        return 1;
    }
    if (WEXITSTATUS(status) != 0) {
        std::printf("child exited with status %d\n", WEXITSTATUS(status));
        return 1;
    }
    return check(folder) ? 0 : 1;
}

}  // namespace exittest
