// Runs the smsctl program as a process against a user folder inside a test's
// temporary folder, and gives back its exit status and output.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CHistoryLogSerialize.h"
#include "tests/fakes/TempDir.h"

extern char** environ;

namespace smsctltest {

struct Result {
    int status = -1;
    std::string out, err;
};

inline std::string quoted(const std::string& arg) {
    std::string q = "'";
    for (const char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// smsctl --user-dir <dir>/user ARGS < input. Runs at the same time keep
// their output apart by `tag`.
inline Result run(const fakes::TempDir& dir, const std::vector<std::string>& args,
                  const std::string& input = "", const std::string& tag = "") {
    const std::string in = dir.file("stdin" + tag), out = dir.file("stdout" + tag),
                      err = dir.file("stderr" + tag);
    std::ofstream(in, std::ios::binary) << input;
    std::string command = quoted(SMSCTL_BIN) + " --user-dir " + quoted(dir.file("user"));
    for (const auto& a : args) command += " " + quoted(a);
    command += " <" + quoted(in) + " >" + quoted(out) + " 2>" + quoted(err);
    const int raw = std::system(command.c_str());
    Result r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
}

// Starts smsctl --user-dir <dir>/user ARGS without waiting for it; its output
// goes to <dir>/stdout<tag> and <dir>/stderr<tag>. finish() collects it.
inline pid_t start(const fakes::TempDir& dir, const std::vector<std::string>& args,
                   const std::string& tag) {
    std::vector<std::string> argv = {SMSCTL_BIN, "--user-dir", dir.file("user")};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (auto& a : argv) raw.push_back(a.data());
    raw.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    const std::string out = dir.file("stdout" + tag), err = dir.file("stderr" + tag);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, SMSCTL_BIN, &files, nullptr, raw.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&files);
    return pid;
}

inline Result finish(const fakes::TempDir& dir, pid_t pid, const std::string& tag) {
    int raw = 0;
    Result r;
    if (pid <= 0 || waitpid(pid, &raw, 0) != pid) return r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(dir.file("stdout" + tag));
    r.err = slurp(dir.file("stderr" + tag));
    return r;
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
