// Runs the smsctl program as a process against a user folder inside a test's
// temporary folder, and gives back its exit status and output; a table of
// such runs with what each must print.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CHistoryLogSerialize.h"
#include "tests/fakes/TempDir.h"

namespace smsctltest {

using Args = std::vector<std::string>;

struct Result {
    int status = -1;
    std::string out, err;
};

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

inline bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Starts smsctl --user-dir <dir>/user ARGS without waiting for it; its output
// goes to <dir>/stdout<tag> and <dir>/stderr<tag>. finish() collects it.
inline pid_t start(const fakes::TempDir& dir, const Args& args, const std::string& tag = "") {
    Args argv = {SMSCTL_BIN, "--user-dir", dir.file("user")};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (auto& a : argv) raw.push_back(a.data());
    raw.push_back(nullptr);
    const std::string out = dir.file("stdout" + tag), err = dir.file("stderr" + tag);
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    ::dup2(::open("/dev/null", O_RDONLY), 0);
    ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    ::execv(SMSCTL_BIN, raw.data());
    ::_exit(127);
}

inline Result finish(const fakes::TempDir& dir, pid_t pid, const std::string& tag = "") {
    int raw = 0;
    Result r;
    if (pid <= 0 || waitpid(pid, &raw, 0) != pid) return r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(dir.file("stdout" + tag));
    r.err = slurp(dir.file("stderr" + tag));
    return r;
}

inline Result run(const fakes::TempDir& dir, const Args& args, const std::string& tag = "") {
    return finish(dir, start(dir, args, tag), tag);
}

// Runs and expects success; the output.
inline std::string ok(const fakes::TempDir& dir, const Args& args) {
    const Result r = run(dir, args);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

struct Step {
    Args args;
    int status;
    Args out;  // parts of stdout (stderr when the status is not 0)
    Args absent = {};
};

inline void runSteps(const fakes::TempDir& dir, const std::vector<Step>& steps) {
    for (const Step& s : steps) {
        const Result r = run(dir, s.args);
        std::string trace;
        for (const auto& a : s.args) trace += a + " ";
        SCOPED_TRACE(trace + "\n" + r.out + r.err);
        EXPECT_EQ(r.status, s.status);
        const std::string& text = s.status == 0 ? r.out : r.err;
        for (const auto& part : s.out) EXPECT_TRUE(has(text, part)) << part;
        for (const auto& part : s.absent) EXPECT_FALSE(has(text, part)) << part;
    }
}

// Each number of the user folder's history with the times it was sent: 1
// for each accepted row holding it, 100 for each failed one.
inline std::map<std::string, int> sentTimes(const std::string& userDir) {
    Dmg::CDataManager& data = Dmg::CDataManager::getSingleton();
    std::vector<Dmg::CHistoryMsg> rows;
    if (data.openUserData(userDir) == 1) {
        static_cast<Dmg::CHistoryLogSerialize*>(data.getDataSerialize("historylog"))
            ->getAllLog(rows);
        data.closeUserData();
    }
    std::map<std::string, int> sent;
    for (const auto& row : rows) {
        std::stringstream numbers(row.secondText);
        for (std::string n; std::getline(numbers, n, ',');) sent[n] += row.success ? 1 : 100;
    }
    return sent;
}

}  // namespace smsctltest
