// Runs the smsctl program as a process against a user folder inside a test's
// temporary folder, and gives back its exit status and output.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/fakes/TempDir.h"

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

}  // namespace smsctltest
